# The whole road plays the review too.
target_link_libraries(board_wholeroad_test PRIVATE core_review)
# The per-pupil report names the pupil's weakest events under each graph.
target_link_libraries(board_report_test PRIVATE core_review core_questions)
target_link_libraries(board_form_test PRIVATE core_review)
