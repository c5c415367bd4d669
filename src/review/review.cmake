# Weak events: every judgement's outcome per event in a shared record file, the spaced schedule
# that brings the events a pupil got wrong back until they are learned, the choice of a review's
# questions and the teachers' tallies (core), and the tallies' PDF page (QtGui only, for the
# teachers' tool).
kanameru_core(review
  SOURCES eventrecord.cpp judgementlog.cpp schedule.cpp eventhistory.cpp reviewplan.cpp eventtally.cpp
  DEPENDS core_drill core_questions core_results core_startup platform)

add_library(gui_review STATIC eventsheetprint.cpp)
target_include_directories(gui_review PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(gui_review PUBLIC Qt6::Gui core_review)
