# kanameru-results events: the teachers' table of events (its own file beside results_main.cpp).
target_sources(kanameru-results PRIVATE results_events.cpp)
target_link_libraries(kanameru-results PRIVATE core_review gui_review core_questions)
# The events file is one of the installation's data files that no tool writes over.
target_link_libraries(tools_common PUBLIC core_review)
