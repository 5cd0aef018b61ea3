# velmora_bench_search: searching a 50-year journal from the main window's search panel, offscreen.
if(NOT TARGET velmora_browser)
  message(STATUS "Qt parts not built: velmora_bench_search is not built")
  return()
endif()
add_executable(velmora_bench_search ${CMAKE_CURRENT_LIST_DIR}/bench_search.cpp ${CMAKE_CURRENT_LIST_DIR}/journal_generator.cpp)
target_link_libraries(velmora_bench_search PRIVATE velmora_browser velmora_settings benchmark::benchmark Qt6::Widgets)
