# The results board: rankings, lists and texts (core) and the form seisekitime1.
kanameru_core(board
  SOURCES mergesort.h grades.cpp ranking.cpp attemptlists.cpp boardtexts.cpp
  DEPENDS core_startup core_results platform)

kanameru_forms(board
  SOURCES seisekitime1.cpp seisekitime1_lists.cpp
  DEPENDS core_board core_results core_endscreen)
