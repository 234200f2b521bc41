# picbatch_add_gtest(NAME sources... LIBS libs... [LABELS labels...])
# One GoogleTest executable whose cases CTest lists just before the tests run.
# Label threaded tests "threads" so scripts/tsan.sh runs them.
function(picbatch_add_gtest name)
  cmake_parse_arguments(ARG "" "" "LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock
                                        picbatch_warnings)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS "${ARG_LABELS}"
                       DISCOVERY_TIMEOUT 60)
endfunction()

# picbatch_add_benchmark(NAME sources... LIBS libs...): a Google Benchmark
# program built into build/bin/, never run by CTest.
function(picbatch_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark picbatch_warnings)
endfunction()
