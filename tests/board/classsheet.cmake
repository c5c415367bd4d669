# The class sheet a teacher prints from the board.
kanameru_qtest(board_classsheet_test DATES
  SOURCES classsheet_form_test.cpp boardschool.h
  LIBS forms_board core_classsheet core_roster core_results)
