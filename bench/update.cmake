# One hand-off round trip: a worker hands a call to the UI thread and waits for it.
add_executable(update_bench ${CMAKE_CURRENT_LIST_DIR}/HandOffBench.cpp)
target_link_libraries(update_bench PRIVATE quendra_update benchmark::benchmark)
quendra_add_version_note(update_bench)
# The transfer engine against curl, both fetching 64 MiB from an nginx on 127.0.0.1.
include(${PROJECT_SOURCE_DIR}/tests/fakes/real_servers.cmake)
add_executable(transfer_bench ${CMAKE_CURRENT_LIST_DIR}/TransferBench.cpp)
target_link_libraries(transfer_bench PRIVATE quendra_update quendra_real_servers)
quendra_add_version_note(transfer_bench)
