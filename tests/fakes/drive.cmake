include_guard(GLOBAL)
# Simulated drives and the drive platform fake. The simulated drives also go into the test
# ASPI library, a shared object, so they are built position-independent.
find_package(Threads REQUIRED)

add_library(quendra_simulated_drives STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SimulatedDrive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimulatedAspiBus.cpp
)
set_target_properties(quendra_simulated_drives PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(quendra_simulated_drives PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quendra_simulated_drives PUBLIC Threads::Threads)

add_library(quendra_fake_drive_platform STATIC ${CMAKE_CURRENT_LIST_DIR}/FakeDrivePlatform.cpp)
target_link_libraries(quendra_fake_drive_platform PUBLIC quendra_drive quendra_simulated_drives)

add_subdirectory(${PROJECT_SOURCE_DIR}/tests/aspi ${CMAKE_BINARY_DIR}/tests/aspi)
