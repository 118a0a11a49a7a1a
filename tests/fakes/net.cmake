# A loopback HTTP server that records requests byte for byte (tests and benchmarks), and a
# scripted update service on it.
if(NOT TARGET quendra_fake_http)
  find_package(Boost 1.74 REQUIRED)
  find_package(Threads REQUIRED)
  add_library(quendra_fake_http STATIC ${CMAKE_CURRENT_LIST_DIR}/LoopbackHttpServer.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/UpdateService.cpp)
  target_link_libraries(quendra_fake_http PUBLIC quendra_util Boost::headers Threads::Threads)
endif()
