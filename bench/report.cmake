# The report for a simulated drive on this machine's real system facts, processor clock
# measurement included: it runs on the UI thread at every selection and click.
include(${PROJECT_SOURCE_DIR}/tests/fakes/drive.cmake)
add_executable(report_bench ${CMAKE_CURRENT_LIST_DIR}/ReportBench.cpp)
target_link_libraries(report_bench PRIVATE quendra_report quendra_fake_drive_platform
                                           benchmark::benchmark)
quendra_add_version_note(report_bench)
