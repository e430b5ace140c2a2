# Helpers shared by the test folders.
find_package(GTest REQUIRED)
include(GoogleTest)

# benchbridge_add_test(name SOURCES ... LIBS ... [LABELS ...] [QT])
# One GoogleTest executable, registered case by case with CTest. QT tests run offscreen.
function(benchbridge_add_test name)
  cmake_parse_arguments(arg "QT" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(BENCHBRIDGE_FUZZ)
    return()  # the fuzzing build runs the fuzzers only
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gmock GTest::gtest)
  if(NOT arg_QT)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set(env "")
  if(arg_QT)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 30
    PROPERTIES LABELS "${arg_LABELS}" ENVIRONMENT "${env}" TIMEOUT 120)
endfunction()

# benchbridge_add_fuzzer(name SOURCE file LIBS ... CORPUS dir)
# With BENCHBRIDGE_FUZZ (clang): a libFuzzer binary plus two tests, one replaying the
# committed corpus and one short fuzzing run. Without it: a replay-only executable built
# with the ordinary compiler, so the corpus is still checked as a regression test.
function(benchbridge_add_fuzzer name)
  cmake_parse_arguments(arg "" "SOURCE;CORPUS" "LIBS" ${ARGN})
  if(BENCHBRIDGE_FUZZ)
    add_executable(${name} ${arg_SOURCE})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${arg_LIBS})
    add_test(NAME ${name}.replay COMMAND ${name} -runs=0 ${arg_CORPUS})
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}.corpus)
    add_test(NAME ${name}.run
      COMMAND ${CMAKE_COMMAND} -E env sh -c
        "mkdir -p '${work}' && exec '$<TARGET_FILE:${name}>' -max_total_time=20 -max_len=4096 -rss_limit_mb=1024 '${work}' '${arg_CORPUS}'")
    set_tests_properties(${name}.replay ${name}.run PROPERTIES LABELS fuzz TIMEOUT 120)
  else()
    add_executable(${name} ${arg_SOURCE} ${PROJECT_SOURCE_DIR}/tests/support/fuzz_replay_main.cpp)
    target_link_libraries(${name} PRIVATE ${arg_LIBS})
    add_test(NAME ${name}.replay COMMAND ${name} ${arg_CORPUS})
    set_tests_properties(${name}.replay PROPERTIES LABELS fuzz TIMEOUT 120)
  endif()
endfunction()
