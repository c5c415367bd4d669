# Opening a pupil's review with 1,000,000 records in the events file, against the board's
# opening on the same installation; prints the ratio.
add_executable(review_bench review_bench.cpp)
target_link_libraries(review_bench PRIVATE forms_board forms_drill core_review core_questions core_roster core_results
  testsupport_forms benchmark::benchmark)
target_compile_definitions(review_bench PRIVATE DEMO_QUESTIONS_CLEAR="${PROJECT_SOURCE_DIR}/data/demo/questions.csv")
