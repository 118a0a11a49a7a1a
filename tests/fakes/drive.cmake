include_guard(GLOBAL)
# The drive platform fake, on the simulated drives of demo/aspi/.
add_library(quendra_fake_drive_platform STATIC ${CMAKE_CURRENT_LIST_DIR}/FakeDrivePlatform.cpp)
target_link_libraries(quendra_fake_drive_platform PUBLIC quendra_drive quendra_simulated_drives)
