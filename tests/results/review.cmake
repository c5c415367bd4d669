# The helper appends to the events file too, as a workstation killed or short of room would.
target_link_libraries(results_helper PRIVATE core_review)
target_link_libraries(test_results PRIVATE core_review)
target_link_libraries(test_results_tool PRIVATE core_review core_questions)
