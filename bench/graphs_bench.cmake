# velmora_bench_graphs: the chart painter drawing into a 1000 x 400 QImage.
if(NOT TARGET velmora_graphs)
  message(STATUS "Qt parts not built: velmora_bench_graphs is not built")
  return()
endif()
add_executable(velmora_bench_graphs ${CMAKE_CURRENT_LIST_DIR}/bench_graphs.cpp)
target_link_libraries(velmora_bench_graphs PRIVATE velmora_graphs velmora_settings benchmark::benchmark Qt6::Gui)
