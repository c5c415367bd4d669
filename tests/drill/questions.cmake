# The question file: reader and writer, the bank checks, the command-line tool and the demo bank.
kanameru_gtest(questions_tests
  SOURCES questions_table_test.cpp questions_check_test.cpp questions_tool_test.cpp
  LIBS core_questions)
target_compile_definitions(questions_tests PRIVATE
  QUESTIONS_TOOL="$<TARGET_FILE:kanameru-questions>"
  DEMO_QUESTIONS_CLEAR="${PROJECT_SOURCE_DIR}/data/demo/questions.csv"
  DEMO_QUESTIONS_STORED="${PROJECT_BINARY_DIR}/data/demo/歴史年2001２vv.ccc")
add_dependencies(questions_tests kanameru-questions)
if(TARGET demo_data)
  add_dependencies(questions_tests demo_data)
endif()

# The demo installation's question file must pass the checks a drill set is held to.
add_test(NAME questions_demo_check
  COMMAND kanameru-questions check "${PROJECT_BINARY_DIR}/data/demo/歴史年2001２vv.ccc" --levels 3)
set_tests_properties(questions_demo_check PROPERTIES ENVIRONMENT "${KANAMERU_TEST_ENV}")
