# Compiles the help file: the sources (UTF-8) are copied into a staging
# folder in Windows-1252, the code page the help engine reads Spanish help
# files in, then chmcmd compiles them and the context map is put right.
# Variables: SOURCE_DIR, STAGE_DIR, OUTPUT, CHMCMD, ICONV, PYTHON.
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${STAGE_DIR})

file(GLOB texts ${SOURCE_DIR}/*.htm ${SOURCE_DIR}/*.hhc ${SOURCE_DIR}/*.hhk ${SOURCE_DIR}/*.hhp
  ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.css)
foreach(source IN LISTS texts)
  get_filename_component(name ${source} NAME)
  execute_process(COMMAND ${ICONV} -f UTF-8 -t WINDOWS-1252 ${source}
    OUTPUT_FILE ${STAGE_DIR}/${name} ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${name}: not convertible to Windows-1252: ${err}")
  endif()
endforeach()
file(GLOB images ${SOURCE_DIR}/*.png ${SOURCE_DIR}/*.gif)
if(images)
  file(COPY ${images} DESTINATION ${STAGE_DIR})
endif()

execute_process(COMMAND ${CHMCMD} SICE.hhp WORKING_DIRECTORY ${STAGE_DIR}
  OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR out MATCHES "(^|\n)(Error|Warning):" OR NOT EXISTS ${STAGE_DIR}/SICE.chm)
  message(FATAL_ERROR "chmcmd failed on the help project:\n${out}")
endif()

execute_process(COMMAND ${PYTHON} ${SOURCE_DIR}/chm_context_fix.py ${STAGE_DIR}/SICE.chm ${STAGE_DIR}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the context map of SICE.chm could not be put right")
endif()

get_filename_component(out_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${out_dir})
file(COPY_FILE ${STAGE_DIR}/SICE.chm ${OUTPUT})
