# The end-of-drill screen: its decisions (core) and the forms FrmSyuuryou and BASEFRM.
kanameru_core(endscreen
  SOURCES endscreenrules.cpp startdrill.cpp
  DEPENDS core_startup)

# The screen needs the results and the sounds; until both libraries are part of the build
# the forms are left out, so the rest of the program still links.
if(TARGET core_results AND TARGET core_sound)
  kanameru_forms(endscreen
    SOURCES frmsyuuryou.cpp basefrm.cpp background.cpp
    DEPENDS core_endscreen core_results core_sound)
else()
  message(STATUS "forms_endscreen waits for core_results and core_sound")
endif()
