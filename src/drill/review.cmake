# The drill form records every judgement's events and plays the review (復習).
target_link_libraries(forms_drill PUBLIC core_review)
