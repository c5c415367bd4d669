# The results board: rankings, lists and texts (core) and the form seisekitime1.
kanameru_core(board
  SOURCES mergesort.h grades.cpp ranking.cpp attemptlists.cpp boardtexts.cpp report.cpp
  DEPENDS core_startup core_results core_roster platform)

kanameru_forms(board
  SOURCES seisekitime1.cpp seisekitime1_lists.cpp seisekitime1_report.cpp boardwidgets.h
  DEPENDS core_board core_results core_endscreen Qt6::PrintSupport)
