# The help end to end (help_e2e_win.cpp, help_e2e.sh). Included at the end
# of the top directory, once the program and the e2e driver's harness exist.
if(NOT WIN32 OR NOT TOS_TESTS OR NOT TARGET TransOrvalentSICE OR NOT TARGET help_chm
   OR NOT EXISTS ${CMAKE_CURRENT_LIST_DIR}/driver_harness_win.cpp)
  return()
endif()

add_executable(tos_help_e2e_driver ${CMAKE_CURRENT_LIST_DIR}/help_e2e_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/driver_harness_win.cpp)
target_include_directories(tos_help_e2e_driver PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(tos_help_e2e_driver PRIVATE user32 gdi32)
target_link_options(tos_help_e2e_driver PRIVATE -municode)
add_dependencies(tos_help_e2e_driver TransOrvalentSICE help_chm)

math(EXPR tos_help_bits "${CMAKE_SIZEOF_VOID_P} * 8")
add_test(NAME e2e.help COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/help_e2e.sh)
set_tests_properties(e2e.help PROPERTIES
  SKIP_RETURN_CODE 77
  RUN_SERIAL TRUE
  TIMEOUT 180
  ENVIRONMENT "TOS_SOURCE_DIR=${PROJECT_SOURCE_DIR};TOS_BUILD_DIR=${CMAKE_BINARY_DIR};TOS_E2E_BITS=${tos_help_bits};TOS_HELP_E2E_DRIVER=$<TARGET_FILE:tos_help_e2e_driver>;TOS_E2E_PROGRAM=$<TARGET_FILE:TransOrvalentSICE>;TOS_HELP_CHM=${TOS_HELP_CHM};TOS_E2E_WORK=${CMAKE_BINARY_DIR}/tests/e2e/work")
