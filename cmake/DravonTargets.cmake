# The oldest Windows the program runs on, 7: the API level its code is
# compiled for, the version its binaries' headers ask of the loader, and the
# release manifests' minimum (packaging/).
set(DRAVON_WINNT 0x0601)
math(EXPR DRAVON_WINDOWS_MAJOR "${DRAVON_WINNT} >> 8")
math(EXPR DRAVON_WINDOWS_MINOR "${DRAVON_WINNT} & 255")
set(DRAVON_WINDOWS_MINIMUM ${DRAVON_WINDOWS_MAJOR}.${DRAVON_WINDOWS_MINOR})

# Compiler settings shared by every target of both trees.
function(dravon_target_defaults target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wimplicit-fallthrough -Wno-unused-parameter>)
  if(WIN32)
    target_compile_definitions(${target} PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                _WIN32_WINNT=${DRAVON_WINNT} WINVER=${DRAVON_WINNT})
  endif()
endfunction()

# A portable static library: built in the host tree and in the Windows tree.
function(dravon_portable_library name)
  add_library(${name} STATIC ${ARGN})
  dravon_target_defaults(${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# Compiles a deliverable's .rc into `target` with the art it includes by
# file name (rendered by res/ into the build tree), and compiles it again
# when any of that art (ARGN, full paths) changes.
function(dravon_rc_with_art target rc)
  target_sources(${target} PRIVATE ${rc})
  target_include_directories(${target} PRIVATE ${PROJECT_BINARY_DIR}/res/art)
  add_dependencies(${target} dravon_art)
  set_property(SOURCE ${rc} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS ${ARGN})
endfunction()

# Full paths of rendered art (res/CMakeLists.txt) in `out`: each name of
# ARGN (icon<ID>.ico, bitmap<ID>.bmp, scaled-<folder>.rc) and, for a
# bitmap, its renderings at the other scales (bitmap<ID>-<percent>.bmp).
function(dravon_art_paths out)
  set(paths)
  foreach(name IN LISTS ARGN)
    list(APPEND paths ${PROJECT_BINARY_DIR}/res/art/${name})
    if(name MATCHES "^(bitmap[0-9]+)\\.bmp$")
      foreach(percent 125 150 200)
        list(APPEND paths ${PROJECT_BINARY_DIR}/res/art/${CMAKE_MATCH_1}-${percent}.bmp)
      endforeach()
    endif()
  endforeach()
  set(${out} ${paths} PARENT_SCOPE)
endfunction()

# A host GoogleTest program; each test case becomes a CTest test.
function(dravon_host_test name)
  add_executable(${name} ${ARGN})
  dravon_target_defaults(${name})
  target_link_libraries(${name} PRIVATE GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# A Windows GoogleTest program; each of its test cases becomes a CTest test
# named "<program>.<Suite>.<Case>", listed and run under Wine (the tree's
# emulator) when CTest runs, so building needs no Wine. The cases of one
# program run one at a time (they may share scratch registry keys); LABELS
# gui marks programs that need the private X display; PROPERTIES are more
# test properties for every case (fixtures, environment, a longer timeout).
# COST is about the seconds all the program's cases take one after another:
# CTest starts the costliest first, so the long chains of cases begin early
# and the two cores stay busy to the end (a fresh tree has no timings yet).
function(dravon_win_test name)
  cmake_parse_arguments(T "" "COST" "SOURCES;LIBS;LABELS;PROPERTIES" ${ARGN})
  if(NOT T_COST)
    set(T_COST 0)
  endif()
  add_executable(${name} ${T_SOURCES})
  dravon_target_defaults(${name})
  target_link_libraries(${name} PRIVATE gtest_main ${T_LIBS})
  # Shared test helpers are included by their path from the top (tests/win/common).
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    EXTRA_ARGS --gtest_color=no
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT 180 RESOURCE_LOCK ${name} COST ${T_COST} ${T_PROPERTIES})
  # The labels are a list, which the discovery's PROPERTIES flatten ("win",
  # then a property named "gui" that swallows the rest): they are set on the
  # discovered cases by a file CTest reads after the discovery's own.
  set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${labels_file}
    "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS [==[win;${T_LABELS}]==])\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
endfunction()

# Renders a Windows GUI test program leaves for a person to look at: BMPs in
# screenshots/<subdir>, cleared before the run and made PNGs (twice the
# size) after it. Sets <program>_RENDER_PROPERTIES, for the PROPERTIES of
# dravon_win_test.
function(dravon_win_renders program subdir)
  set(shots ${PROJECT_BINARY_DIR}/screenshots/${subdir})
  set(fixture ${program}_renders)
  add_test(NAME ${program}_shots_clear COMMAND sh -c "rm -rf '${shots}' && mkdir -p '${shots}'")
  add_test(NAME ${program}_shots_png
           COMMAND ${PROJECT_SOURCE_DIR}/tests/win/diskview/renders-to-png.sh ${shots})
  set_tests_properties(${program}_shots_clear PROPERTIES FIXTURES_SETUP ${fixture})
  set_tests_properties(${program}_shots_png PROPERTIES FIXTURES_CLEANUP ${fixture})
  set(${program}_RENDER_PROPERTIES FIXTURES_REQUIRED ${fixture}
      ENVIRONMENT "DRAVON_SCREENSHOTS=Z:${shots}" PARENT_SCOPE)
endfunction()
