# One hand-off round trip: a worker hands a call to the UI thread and waits for it.
add_executable(update_bench ${CMAKE_CURRENT_LIST_DIR}/HandOffBench.cpp)
target_link_libraries(update_bench PRIVATE quendra_update benchmark::benchmark)
quendra_add_version_note(update_bench)
