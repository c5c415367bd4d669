# Weak events: every judgement's outcome per event in a shared record file, the spaced schedule
# that brings the events a pupil got wrong back until they are learned, the choice of a review's
# questions and the teachers' tallies (core), and the tallies' PDF page (QtGui only, for the
# teachers' tool).
kanameru_core(review
  SOURCES eventrecord.cpp judgementlog.cpp schedule.cpp eventhistory.cpp reviewplan.cpp
  DEPENDS core_drill core_questions core_results core_startup platform)
