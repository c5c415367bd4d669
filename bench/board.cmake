# The board's first activation on a large school against computing the statistics and
# filling plain list widgets with the same lines.
add_executable(board_bench board_bench.cpp)
target_link_libraries(board_bench PRIVATE forms_board core_roster core_results testsupport_forms benchmark::benchmark)
