# velmora_bench_export: the 50-year journal exported to HTML, Markdown, text and PDF, offscreen.
if(NOT TARGET velmora_export)
  message(STATUS "Qt parts not built: velmora_bench_export is not built")
  return()
endif()
add_executable(velmora_bench_export ${CMAKE_CURRENT_LIST_DIR}/bench_export.cpp ${CMAKE_CURRENT_LIST_DIR}/journal_generator.cpp)
target_link_libraries(velmora_bench_export PRIVATE velmora_export velmora_settings benchmark::benchmark Qt6::Gui)
