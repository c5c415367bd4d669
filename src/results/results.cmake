kanameru_core(results
  SOURCES resultrecord.cpp recordfile.cpp statistics.cpp results.cpp
  DEPENDS core_startup platform)
