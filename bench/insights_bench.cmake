# velmora_bench_insights: the insights and the search by word forms on the 50-year journal (QtCore
# only for the shared journal folder).
if(NOT TARGET velmora_insights OR NOT TARGET Qt6::Core)
  message(STATUS "velmora_bench_insights is not built (needs the insights library and QtCore)")
  return()
endif()
add_executable(velmora_bench_insights ${CMAKE_CURRENT_LIST_DIR}/bench_insights.cpp ${CMAKE_CURRENT_LIST_DIR}/journal_generator.cpp)
target_link_libraries(velmora_bench_insights PRIVATE velmora_insights velmora_xml velmora_settings benchmark::benchmark Qt6::Core)
