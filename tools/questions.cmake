# kanameru-questions: encodes, decodes and checks a drill set's question file.
add_executable(kanameru-questions questions_main.cpp)
target_link_libraries(kanameru-questions PRIVATE core_questions)
target_link_libraries(kanameru-questions PRIVATE tools_common)
