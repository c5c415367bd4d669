# The board's review button (復習) and its count of the events due.
target_sources(forms_board PRIVATE seisekitime1_review.cpp)
target_link_libraries(forms_board PUBLIC core_review core_questions)
