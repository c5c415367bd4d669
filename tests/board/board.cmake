kanameru_gtest(board_core_test
  SOURCES ranking_test.cpp lists_test.cpp
  LIBS core_board)

kanameru_qtest(board_form_test
  SOURCES seisekitime1_test.cpp boardschool.h
  LIBS forms_board core_roster core_results)
