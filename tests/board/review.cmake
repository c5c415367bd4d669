# The whole road plays the review too.
target_link_libraries(board_wholeroad_test PRIVATE core_review)
