# One lookup exchange against the loopback server, and the bare round trip to that server
# for comparison.
include(${PROJECT_SOURCE_DIR}/tests/fakes/net.cmake)
add_executable(lookup_bench ${CMAKE_CURRENT_LIST_DIR}/LookupBench.cpp)
target_link_libraries(lookup_bench PRIVATE quendra_lookup quendra_fake_http benchmark::benchmark)
quendra_add_version_note(lookup_bench)
# Reading the largest replies (up to the 4 MiB cap) in the shapes that are costly to read.
add_executable(reply_bench ${CMAKE_CURRENT_LIST_DIR}/ReplyReaderBench.cpp)
target_link_libraries(reply_bench PRIVATE quendra_lookup benchmark::benchmark)
quendra_add_version_note(reply_bench)
