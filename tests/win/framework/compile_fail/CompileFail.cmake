# Compiles SRC twice with the Windows compiler CXX: with
# -DDRAVON_COMPILE_OK (the right form) it must compile; without it, it must
# fail, and with the text of the file's "// expect:" line, so that it fails
# for the reason it is there for.
file(STRINGS "${SRC}" expect REGEX "^// expect: ")
string(REGEX REPLACE "^// expect: " "" expect "${expect}")
if(expect STREQUAL "")
  message(FATAL_ERROR "${SRC} has no \"// expect:\" line")
endif()
set(flags -std=c++20 -fsyntax-only -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX
          -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -I${TOP})
execute_process(COMMAND ${CXX} ${flags} -DDRAVON_COMPILE_OK ${SRC}
                RESULT_VARIABLE ok_rc ERROR_VARIABLE ok_err)
if(NOT ok_rc EQUAL 0)
  message(FATAL_ERROR "The right form does not compile:\n${ok_err}")
endif()
execute_process(COMMAND ${CXX} ${flags} ${SRC} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0)
  message(FATAL_ERROR "It compiled, and must not.")
endif()
string(FIND "${err}" "${expect}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "It failed, but not with \"${expect}\":\n${err}")
endif()
message(STATUS "Refused as it should be: ${expect}")
