# Helpers shared by every room of the build.
#
# kestrel_library(<target> [STATIC] [HIDDEN] [OUTPUT <name>] [EXPORTS <version script>]
#                 [HEADERS <public headers>...] SOURCES ... [LIBS <suite libraries>...]
#                 [EXTERNAL <other libraries>...])
#   Compiles the room's sources once and makes two libraries of them:
#   - <target>, what programs link: lib<name>.so whose exported names are
#     exactly those of the version script (or, with STATIC, an archive
#     linked into its users), linking the suite libraries of LIBS as they are;
#   - <target>_static, what tests and benchmarks link: an archive linking
#     the _static twins of LIBS, so that a test holds exactly one copy of
#     every room and reaches hooks the shared libraries do not export.
#   Only the HEADERS are reachable from other rooms: they are staged under
#   <build>/include/<target>/<room>/ and named as "<room>/<header>"; a room
#   includes its private headers by their plain name. HIDDEN compiles with
#   hidden visibility, for libraries that export C++ names: their public
#   headers mark what is exported.
#
# kestrel_program(<target> SOURCES ... LIBS ...)
#   A program of the suite, installed in <prefix>/bin.
#
# kestrel_test(<target> SOURCES ... [LIBS ...])
#   A GoogleTest program registered with CTest, linking the _static twins.
#
# kestrel_foreign_test(<name> COMMAND ...)
#   A test run by another language's program (Python's ctypes, say).
#
# kestrel_exports_test(<target> [HEADER <header>] [CXX <namespace>])
#   Checks that the shared library exports exactly the names of its version
#   script (and of its header's export table), and no C++ name but its own.

set(KESTREL_STAGE ${CMAKE_BINARY_DIR}/include)

function(kestrel_stage_headers target)
  file(RELATIVE_PATH room ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(stage ${KESTREL_STAGE}/${target})
  file(MAKE_DIRECTORY ${stage}/${room})
  foreach(header ${ARGN})
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${stage}/${room}/${name} SYMBOLIC)
  endforeach()
  if(ARGN)
    install(FILES ${ARGN} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kestrel/${room})
  endif()
endfunction()

# The _static twin of each suite library in the list (a room's tests may
# name a library of a room above, not yet defined: the name decides).
# Imported targets ("Pkg::Lib") are passed as they are.
function(kestrel_static_twins out)
  set(result)
  foreach(lib ${ARGN})
    if(lib MATCHES "::")
      list(APPEND result ${lib})
    else()
      list(APPEND result ${lib}_static)
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

function(kestrel_library target)
  cmake_parse_arguments(A "STATIC;HIDDEN" "OUTPUT;EXPORTS" "HEADERS;SOURCES;LIBS;EXTERNAL" ${ARGN})
  kestrel_stage_headers(${target} ${A_HEADERS})
  set(stage ${KESTREL_STAGE}/${target})
  kestrel_static_twins(twins ${A_LIBS})

  add_library(${target}_obj OBJECT ${A_SOURCES})
  target_include_directories(${target}_obj PUBLIC ${stage})
  target_link_libraries(${target}_obj PUBLIC ${twins} ${A_EXTERNAL})
  if(A_HIDDEN)
    set_target_properties(${target}_obj PROPERTIES CXX_VISIBILITY_PRESET hidden
                          VISIBILITY_INLINES_HIDDEN ON)
  endif()

  add_library(${target}_static STATIC $<TARGET_OBJECTS:${target}_obj>)
  target_include_directories(${target}_static PUBLIC ${stage})
  target_link_libraries(${target}_static PUBLIC ${twins} ${A_EXTERNAL})

  if(A_STATIC)
    add_library(${target} STATIC $<TARGET_OBJECTS:${target}_obj>)
  else()
    add_library(${target} SHARED $<TARGET_OBJECTS:${target}_obj>)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${A_OUTPUT}
                          LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${A_EXPORTS})
    target_link_options(${target} PRIVATE
      "-Wl,--version-script=${CMAKE_CURRENT_SOURCE_DIR}/${A_EXPORTS}"
      "-Wl,--no-undefined")
    install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endif()
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${stage}>
                             $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/kestrel>)
  target_link_libraries(${target} PUBLIC ${A_LIBS} ${A_EXTERNAL})
endfunction()

function(kestrel_program target)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${A_SOURCES})
  target_link_libraries(${target} PRIVATE ${A_LIBS})
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

function(kestrel_test target)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  kestrel_static_twins(twins ${A_LIBS})
  add_executable(${target} ${A_SOURCES})
  target_link_libraries(${target} PRIVATE ${twins} kstesting GTest::gtest GTest::gtest_main
                        GTest::gmock)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "KESTREL_HOME=${CMAKE_BINARY_DIR}/test-home")
endfunction()

# Under the sanitizers a foreign program has to load their runtime first, and
# the host program's own leaks are not ours to report.
function(kestrel_foreign_test name)
  cmake_parse_arguments(A "" "" "COMMAND" ${ARGN})
  add_test(NAME ${name} COMMAND ${A_COMMAND})
  set(environment "KESTREL_HOME=${CMAKE_BINARY_DIR}/test-home"
                  "PYTHONPATH=${CMAKE_SOURCE_DIR}/testing")
  if(KESTREL_SANITIZE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
                    OUTPUT_VARIABLE asan OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND environment "LD_PRELOAD=${asan}" "ASAN_OPTIONS=detect_leaks=0")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
endfunction()

function(kestrel_exports_test target)
  cmake_parse_arguments(A "" "HEADER;CXX" "" ${ARGN})
  get_target_property(script ${target} LINK_DEPENDS)
  set(options)
  if(A_HEADER)
    list(APPEND options --header ${CMAKE_CURRENT_SOURCE_DIR}/${A_HEADER})
  endif()
  if(A_CXX)
    list(APPEND options --cxx ${A_CXX})
  endif()
  add_test(NAME ${target}_exports
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/testing/exports.py
            $<TARGET_FILE:${target}> ${script} ${options})
endfunction()
