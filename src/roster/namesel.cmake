kanameru_core(roster
  SOURCES rosterfile.cpp pupilline.cpp
  DEPENDS core_startup)

kanameru_forms(roster
  SOURCES namesel.cpp
  DEPENDS core_roster core_startup)
