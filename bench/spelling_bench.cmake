# velmora_bench_spelling: underlining a 2,000-word description, shown and typed into.
if(NOT TARGET velmora_spelling)
  message(STATUS "Qt parts not built: velmora_bench_spelling is not built")
  return()
endif()
add_executable(velmora_bench_spelling ${CMAKE_CURRENT_LIST_DIR}/bench_spelling.cpp)
target_link_libraries(velmora_bench_spelling PRIVATE velmora_spelling velmora_settings benchmark::benchmark Qt6::Gui)
