# Reading a roster of 5000 pupils and building the start screen's sorted list, against merely
# reading and decoding the file.
add_executable(roster_bench roster_bench.cpp)
target_link_libraries(roster_bench PRIVATE core_roster benchmark::benchmark)
