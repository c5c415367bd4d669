kanameru_gtest(board_core_test
  SOURCES ranking_test.cpp lists_test.cpp
  LIBS core_board)
