# What every teachers' tool shares: the checks of its output targets, the grade labels it
# accepts and the encoding of what it prints (tools/toolsupport.h).
add_library(tools_common STATIC toolsupport.cpp)
target_include_directories(tools_common PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tools_common PUBLIC core_startup core_roster core_results core_questions core_board platform fileio)
# The build's own converters write the demo's files through the same checks.
target_link_libraries(kanameru-textconv PRIVATE tools_common)
