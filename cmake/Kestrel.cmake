# Helpers shared by every room of the build.
#
# kestrel_library(<target> OUTPUT <name> EXPORTS <version script>
#                 SOURCES ... [LIBS ...])
#   Builds the room's code once as an object library <target>_obj (which the
#   room's tests link, so they can reach the internals) and a shared library
#   lib<name>.so from the same objects, whose exported names are exactly those
#   of the version script.
#
# kestrel_test(<target> SOURCES ... [LIBS ...])
#   A GoogleTest program registered with CTest.

function(kestrel_library target)
  cmake_parse_arguments(A "" "OUTPUT;EXPORTS" "SOURCES;LIBS" ${ARGN})
  add_library(${target}_obj OBJECT ${A_SOURCES})
  target_link_libraries(${target}_obj PUBLIC ${A_LIBS})
  add_library(${target} SHARED $<TARGET_OBJECTS:${target}_obj>)
  target_link_libraries(${target} PUBLIC ${A_LIBS})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${A_OUTPUT}
                        LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${A_EXPORTS})
  target_link_options(${target} PRIVATE
    "-Wl,--version-script=${CMAKE_CURRENT_SOURCE_DIR}/${A_EXPORTS}"
    "-Wl,--no-undefined")
endfunction()

function(kestrel_test target)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${A_SOURCES})
  target_link_libraries(${target} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main
                        GTest::gmock)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "KESTREL_HOME=${CMAKE_BINARY_DIR}/test-home")
endfunction()

# kestrel_foreign_test(<name> COMMAND ...)
#   A test run by another language's program that loads the suite's
#   libraries by path (Python's ctypes, say). Under the sanitizers their
#   runtime has to be loaded first, and the host program's own leaks are not
#   ours to report.
function(kestrel_foreign_test name)
  cmake_parse_arguments(A "" "" "COMMAND" ${ARGN})
  add_test(NAME ${name} COMMAND ${A_COMMAND})
  set(environment "KESTREL_HOME=${CMAKE_BINARY_DIR}/test-home")
  if(KESTREL_SANITIZE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
                    OUTPUT_VARIABLE asan OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND environment "LD_PRELOAD=${asan}" "ASAN_OPTIONS=detect_leaks=0")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
endfunction()
