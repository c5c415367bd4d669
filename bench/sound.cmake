# The wait a pupil has on every answer: the time a "play PATH wait" takes beyond the sound itself.
add_executable(sound_bench sound_bench.cpp)
target_link_libraries(sound_bench PRIVATE core_sound platform_mci benchmark::benchmark)
