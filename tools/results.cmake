# kanameru-results: the results files as CSV for teachers (export, stats).
add_executable(kanameru-results results_main.cpp)
target_link_libraries(kanameru-results PRIVATE core_results)
