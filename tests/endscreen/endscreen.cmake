kanameru_gtest(test_endscreen_rules DATES SOURCES endscreenrules_test.cpp LIBS core_endscreen core_results)
kanameru_qtest(test_endscreen_form DATES SOURCES frmsyuuryou_test.cpp
  LIBS forms_endscreen core_endscreen core_results core_sound platform_mci)
kanameru_qtest(test_endscreen_road DATES SOURCES attemptroad_test.cpp
  LIBS testsupport_drill forms_endscreen forms_drill core_drill core_questions core_endscreen core_results core_sound platform_mci)
# Another workstation holding the results file while an attempt is recorded.
target_compile_definitions(test_endscreen_road PRIVATE RESULTS_HELPER="$<TARGET_FILE:results_helper>")
add_dependencies(test_endscreen_road results_helper)
