# Loading the question file against merely reading and decoding its text.
add_executable(questions_bench questions_bench.cpp)
target_link_libraries(questions_bench PRIVATE core_questions benchmark::benchmark)
