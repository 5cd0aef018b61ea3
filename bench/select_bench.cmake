# velmora_bench_select: selecting a 10-year journal in the main window, offscreen.
if(NOT TARGET velmora_browser)
  message(STATUS "Qt parts not built: velmora_bench_select is not built")
  return()
endif()
add_executable(velmora_bench_select ${CMAKE_CURRENT_LIST_DIR}/bench_select.cpp ${CMAKE_CURRENT_LIST_DIR}/journal_generator.cpp)
target_link_libraries(velmora_bench_select PRIVATE velmora_browser velmora_settings benchmark::benchmark Qt6::Widgets)
