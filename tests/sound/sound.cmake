kanameru_gtest(test_soundmap SOURCES soundmap_test.cpp LIBS core_sound)
kanameru_gtest(test_soundplay SOURCES play_test.cpp LIBS core_sound)

# The demo sounds, made by the project's own tool, against the demo map and the install list.
kanameru_gtest(test_demosounds SOURCES demosounds_test.cpp LIBS core_sound)
add_dependencies(test_demosounds kanameru-makesounds)
get_property(_demo_sound_files GLOBAL PROPERTY KANAMERU_DEMO_SOUND_FILES)
string(REPLACE ";" "\\;" _demo_sound_files "${_demo_sound_files}")
target_compile_definitions(test_demosounds PRIVATE
  "KANAMERU_MAKESOUNDS=\"$<TARGET_FILE:kanameru-makesounds>\""
  "KANAMERU_DEMO_MAP=\"${PROJECT_SOURCE_DIR}/data/demo/新音ファイル.txt\""
  "KANAMERU_DEMO_SOUND_FILES=\"${_demo_sound_files}\"")
