kanameru_core(roster
  SOURCES rosterfile.cpp pupilline.cpp rosterwrite.cpp
  DEPENDS core_startup)

kanameru_forms(roster
  SOURCES namesel.cpp versionbox.cpp frmname2.cpp
  DEPENDS core_roster core_results core_sound core_startup)
