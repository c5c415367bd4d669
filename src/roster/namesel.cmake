kanameru_forms(roster
  SOURCES namesel.cpp
  DEPENDS core_startup)
