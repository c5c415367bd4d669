# The review's rules: the schedule, the records, the history, the plan and the tallies.
kanameru_gtest(review_test SOURCES review_test.cpp LIBS core_review)
