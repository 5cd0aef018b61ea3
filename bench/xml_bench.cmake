# velmora_bench_xml: the XML library against pugixml on generated journals (pugixml only here).
find_package(pugixml QUIET)
if(NOT pugixml_FOUND)
  message(STATUS "pugixml not found: velmora_bench_xml is not built")
  return()
endif()
add_executable(velmora_bench_xml ${CMAKE_CURRENT_LIST_DIR}/bench_xml.cpp ${CMAKE_CURRENT_LIST_DIR}/journal_generator.cpp)
target_link_libraries(velmora_bench_xml PRIVATE velmora_xml velmora_settings benchmark::benchmark pugixml::pugixml)
