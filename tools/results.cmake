# kanameru-results: the results files as CSV for teachers (export, stats) and the class sheet
# as CSV or PDF (sheet; QtGui for the PDF writer only).
add_executable(kanameru-results results_main.cpp)
target_link_libraries(kanameru-results PRIVATE core_results core_roster core_classsheet gui_classsheet)
target_link_libraries(kanameru-results PRIVATE tools_common)
