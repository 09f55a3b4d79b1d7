# Windows test programs: GoogleTest, cross-built, run by ctest under Wine through
# the cross-compiling emulator. Every program lands beside vostrel.exe.
#
#   vostrel_add_win_test(name SOURCES a.cpp b.cpp [DESKTOP] [TIMEOUT s])
#
# DESKTOP: the test uses hotkeys, the cursor, focus, the clipboard or starts the
# program; such tests run one at a time (they share one wineserver's desktop).
function(vostrel_add_win_test name)
  cmake_parse_arguments(T "DESKTOP" "TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE vostrel_test_support vostrel_lib GTest::gtest_main ${T_LIBRARIES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_DESKTOP)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

# A plain Windows program used by tests (helpers, peers, benchmarks).
function(vostrel_add_win_program name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBRARIES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endfunction()
