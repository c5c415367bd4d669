# computeStatistics on 25000 records against reading the same bytes and clearing the tables.
add_executable(bench_results results_bench.cpp)
target_link_libraries(bench_results PRIVATE core_results benchmark::benchmark)
