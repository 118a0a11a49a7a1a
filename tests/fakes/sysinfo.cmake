# A system information platform with supplied answers, and a guard that installs it.
add_library(quendra_sysinfo_fakes STATIC ${CMAKE_CURRENT_LIST_DIR}/FakeSysPlatform.cpp)
target_link_libraries(quendra_sysinfo_fakes PUBLIC quendra_sysinfo)
