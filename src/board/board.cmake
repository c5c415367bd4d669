kanameru_core(board
  SOURCES mergesort.h grades.cpp ranking.cpp attemptlists.cpp boardtexts.cpp
  DEPENDS core_startup core_results platform)
