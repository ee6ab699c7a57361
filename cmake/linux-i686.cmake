# The portable code as a 32-bit x86 Linux program (g++-multilib), to test what
# 32 bits change: sizes, offsets and arithmetic past 2^31, alignment,
# allocation limits. Where this machine cannot run 32-bit programs, the tests
# run under user-mode emulation (qemu-i386).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
execute_process(COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/can-run-32bit
  RESULT_VARIABLE tos_run32)
if(NOT tos_run32 EQUAL 0 OR "$ENV{TOS_EMULATE_32BIT}" STREQUAL "1")
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
endif()
