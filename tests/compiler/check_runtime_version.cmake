# Compiles a generated header against runtime headers of each release in turn: it must compile
# against the release it was generated for, and fail against another with a message that names
# both releases.
# cmake -DCXX=<compiler> -DHEADER=<generated header> -DINCLUDES=<dir;...> -DRELEASE=<x.y.z>
#       -DOTHER_RUNTIME=<dir with pelagon/runtime/Version.hxx> -DOTHER_RELEASE=<x.y.z> -P ...
set(failed FALSE)
# Each case: the include folder put first, then whether the compile succeeds.
foreach(case IN ITEMS "same;ok" "other;fails")
  list(GET case 0 runtime)
  list(GET case 1 expected)
  set(flags)
  if(runtime STREQUAL "other")
    list(APPEND flags -I${OTHER_RUNTIME})
  endif()
  foreach(dir IN LISTS INCLUDES)
    list(APPEND flags -I${dir})
  endforeach()
  execute_process(COMMAND ${CXX} -std=c++17 -fsyntax-only ${flags} -x c++ ${HEADER}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(expected STREQUAL "ok" AND NOT status EQUAL 0)
    message(SEND_ERROR "${runtime} release: the header does not compile:\n${output}")
    set(failed TRUE)
  elseif(expected STREQUAL "fails")
    if(status EQUAL 0)
      message(SEND_ERROR "${runtime} release: the header compiles against runtime ${OTHER_RELEASE}")
      set(failed TRUE)
    endif()
    string(REPLACE "." "\\." generated_for "${RELEASE}")
    string(REPLACE "." "\\." found "${OTHER_RELEASE}")
    if(NOT output MATCHES "generated for binding runtime ${generated_for}, [a-z]+ profile, not for ${found}, ")
      message(SEND_ERROR "${runtime} release: the message does not name both releases:\n${output}")
      set(failed TRUE)
    endif()
    message(STATUS "${CXX} reports:\n${output}")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "the release check of generated headers does not hold")
endif()
