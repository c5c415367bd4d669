# A second workstation for the concurrency tests: appends, dies mid-record, holds the lock.
add_executable(results_helper results_helper.cpp)
target_link_libraries(results_helper PRIVATE core_results)

kanameru_gtest(test_results DATES
  SOURCES records_test.cpp statistics_test.cpp recording_test.cpp concurrency_test.cpp
  LIBS core_results)
target_compile_definitions(test_results PRIVATE RESULTS_HELPER="$<TARGET_FILE:results_helper>")
add_dependencies(test_results results_helper)

# The teachers' tool, run on files the program wrote.
kanameru_gtest(test_results_tool DATES SOURCES tool_test.cpp LIBS core_results core_roster)
target_compile_definitions(test_results_tool PRIVATE RESULTS_TOOL="$<TARGET_FILE:kanameru-results>"
  QUESTIONS_TOOL="$<TARGET_FILE:kanameru-questions>")
add_dependencies(test_results_tool kanameru-results kanameru-questions)
