# The drill form: its rules without a window, and the form driven as a pupil drives it.
kanameru_gtest(drillform_rules_test SOURCES drillform_rules_test.cpp drillform_cards_test.cpp keycursor_test.cpp
  LIBS core_drill)
kanameru_qtest(drillform_test SOURCES drillform_test.cpp
  LIBS forms_drill core_drill core_endscreen core_questions core_results core_sound platform_mci)
target_compile_definitions(drillform_test PRIVATE
  DEMO_QUESTIONS_STORED="${PROJECT_BINARY_DIR}/data/demo/歴史年2001２vv.ccc")
if(TARGET demo_data)
  add_dependencies(drillform_test demo_data)
endif()
kanameru_qtest(drillform_captions_test SOURCES drillform_captions_test.cpp
  LIBS testsupport_drill forms_drill core_drill core_questions)
