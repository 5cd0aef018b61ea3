# velmora_bench_backups: what a dated backup costs a save of the 50-year journal, and what a year
# of daily backups of a 10-year journal leaves on disk.
if(NOT TARGET velmora_library)
  message(STATUS "Qt parts not built: velmora_bench_backups is not built")
  return()
endif()
find_package(ZLIB REQUIRED)
add_executable(velmora_bench_backups ${CMAKE_CURRENT_LIST_DIR}/bench_backups.cpp ${CMAKE_CURRENT_LIST_DIR}/journal_generator.cpp)
target_link_libraries(velmora_bench_backups PRIVATE velmora_library velmora_settings benchmark::benchmark ZLIB::ZLIB)
