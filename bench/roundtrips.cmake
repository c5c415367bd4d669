# The program with a pupil playing one attempt, for counting the file-system calls on the
# installation folder (bench/roundtrips.sh runs it under strace).
add_executable(roundtrips_bench roundtrips_main.cpp)
target_link_libraries(roundtrips_bench PRIVATE app_wiring app_desktop testsupport_drill)
