# The class sheet of 2000 pupils and 35 levels from 25000 records, beside the statistics
# rebuild it reads from.
add_executable(bench_classsheet classsheet_bench.cpp)
target_link_libraries(bench_classsheet PRIVATE core_classsheet core_results core_roster benchmark::benchmark)
