# The processor identification with its clock measurement, which the report runs on the
# UI thread at every build (expected about 0.3 to 2.1 ms with the 10 MHz counter).
add_executable(sysinfo_bench ${CMAKE_CURRENT_LIST_DIR}/SysInfoBench.cpp)
target_link_libraries(sysinfo_bench PRIVATE quendra_sysinfo benchmark::benchmark)
quendra_add_version_note(sysinfo_bench)
