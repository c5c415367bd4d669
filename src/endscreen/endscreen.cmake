# The end-of-drill screen: its decisions and startDrill (core), and the forms FrmSyuuryou and
# BASEFRM with the background picture they share.
kanameru_core(endscreen
  SOURCES endscreenrules.cpp startdrill.cpp
  DEPENDS core_startup platform)

kanameru_forms(endscreen
  SOURCES frmsyuuryou.cpp basefrm.cpp background.cpp
  DEPENDS core_endscreen core_results core_sound)
