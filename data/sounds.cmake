# The demo sounds: the sound map and the WAV files it names, plus the two fixed files of the
# overall record and the cleared level, all in the shared "files" folder.
kanameru_demo_text("新音ファイル.txt" "files")

set(DEMO_SOUNDS_OUT ${CMAKE_CURRENT_BINARY_DIR}/demo_sounds)
set(DEMO_SOUND_FILES
  正解1.wav 正解2.wav 正解3.wav 間違い1.wav 間違い2.wav 自己最高1.wav 好成績1.wav 最高1.wav 合格.wav)
# The tests check this list against the map and what kanameru-makesounds makes.
set_property(GLOBAL PROPERTY KANAMERU_DEMO_SOUND_FILES ${DEMO_SOUND_FILES})
list(TRANSFORM DEMO_SOUND_FILES PREPEND ${DEMO_SOUNDS_OUT}/ OUTPUT_VARIABLE demo_sound_paths)
add_custom_command(OUTPUT ${demo_sound_paths}
  COMMAND kanameru-makesounds ${DEMO_SOUNDS_OUT}
  DEPENDS kanameru-makesounds
  COMMENT "Synthesising the demo sounds"
  VERBATIM)
set_property(GLOBAL APPEND PROPERTY KANAMERU_DEMO_OUTPUTS ${demo_sound_paths})
# The sounds are made by the build, so they are program files: every install replaces them.
install(FILES ${demo_sound_paths} DESTINATION files COMPONENT program)
