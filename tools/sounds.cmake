# Synthesises the demo installation's sound effects (WAV files) at build time.
add_executable(kanameru-makesounds makesounds.cpp)
target_link_libraries(kanameru-makesounds PRIVATE core_sound)
target_link_libraries(kanameru-makesounds PRIVATE tools_common)
