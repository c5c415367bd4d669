# An append with its lock and flush against a plain write and flush of the same bytes.
add_executable(bench_fileio fileio_bench.cpp)
target_link_libraries(bench_fileio PRIVATE fileio benchmark::benchmark)
