# The drill form: from startDrill to the first question shown (demo question file), and one
# judgement of the explanations.
add_executable(drillform_bench drillform_bench.cpp)
target_link_libraries(drillform_bench PRIVATE forms_drill core_endscreen core_questions core_results core_sound
  platform_mci benchmark::benchmark)
target_compile_definitions(drillform_bench PRIVATE DEMO_QUESTIONS_CLEAR="${PROJECT_SOURCE_DIR}/data/demo/questions.csv")
