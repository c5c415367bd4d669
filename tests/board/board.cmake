kanameru_gtest(board_core_test DATES
  SOURCES ranking_test.cpp lists_test.cpp report_test.cpp
  LIBS core_board)

kanameru_qtest(board_form_test DATES
  SOURCES seisekitime1_test.cpp boardschool.h
  LIBS forms_board core_roster core_results)

# The whole road through the real forms: start screen, board, drill, end screen, board.
kanameru_qtest(board_wholeroad_test DATES
  SOURCES wholeroad_test.cpp
  LIBS testsupport_drill forms_board forms_roster forms_drill forms_endscreen core_drill core_questions core_roster core_results
       core_sound platform_mci)

kanameru_qtest(board_report_test DATES
  SOURCES report_form_test.cpp boardschool.h
  LIBS forms_board core_roster core_results)
