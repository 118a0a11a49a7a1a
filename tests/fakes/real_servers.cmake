# Real nginx and tinyproxy processes and test certificates for the transfer tests.
if(NOT TARGET quendra_real_servers)
  find_package(Boost 1.74 REQUIRED)
  add_library(quendra_real_servers STATIC ${CMAKE_CURRENT_LIST_DIR}/RealServers.cpp
                                          ${CMAKE_CURRENT_LIST_DIR}/linux/ChildProcess.cpp)
  target_link_libraries(quendra_real_servers PUBLIC quendra_fake_http Boost::headers)
endif()
