# The sound map and the play routines.
kanameru_core(sound
  SOURCES sound.cpp soundmap.cpp wavsynth.cpp
  DEPENDS core_startup platform platform_mci SDL2::SDL2)
