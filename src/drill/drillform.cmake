# The drill form: the rules of an attempt, its questions and the flash cards (core_drill), and
# the form MainFrm with its pictures (forms_drill).
kanameru_core(drill
  SOURCES drillrules.cpp attemptrules.cpp answerflow.cpp revealcycle.cpp keycursor.cpp
  DEPENDS core_startup platform)

kanameru_forms(drill
  SOURCES mainfrm.cpp mainfrm_layout.cpp mainfrm_memorize.cpp draglabel.cpp drillwidgets.cpp drillpictures.cpp
  DEPENDS core_drill core_questions core_results core_sound core_startup)
