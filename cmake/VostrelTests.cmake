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

# The test program run again under other Windows languages, one ctest test per
# language, <name>_<locale>: English (code page 1252), Japanese (932), Traditional
# Chinese (950) and Hindi (65001, a language with no ANSI code page). The program
# speaks GBK whatever the system's code page is, so the tests the filter picks must
# pass under each as under Chinese (PRC). scripts/wine takes VOSTREL_LOCALE.
#
#   vostrel_add_locale_runs(name FILTER gtest-filter [DESKTOP] [TIMEOUT s] [LOCALES l...])
#
# LOCALES picks some of them (all four when not given).
set(VOSTREL_OTHER_LOCALES en_US ja_JP zh_TW hi_IN)
function(vostrel_add_locale_runs name)
  cmake_parse_arguments(T "DESKTOP" "FILTER;TIMEOUT" "LOCALES" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(NOT T_LOCALES)
    set(T_LOCALES ${VOSTREL_OTHER_LOCALES})
  endif()
  foreach(locale IN LISTS T_LOCALES)
    add_test(NAME ${name}_${locale} COMMAND ${name} --gtest_color=no --gtest_filter=${T_FILTER}
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name}_${locale} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT VOSTREL_LOCALE=${locale}.UTF-8)
    if(T_DESKTOP)
      set_tests_properties(${name}_${locale} PROPERTIES RESOURCE_LOCK desktop)
    endif()
  endforeach()
endfunction()
