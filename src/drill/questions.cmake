# The question file: reader, scrambler and the checks of a drill set's question bank.
kanameru_core(questions
  SOURCES questiontable.cpp questionscheck.cpp
  DEPENDS core_startup)
