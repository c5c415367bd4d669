# The end screen names the events missed in the attempt.
target_link_libraries(forms_endscreen PUBLIC core_review)
