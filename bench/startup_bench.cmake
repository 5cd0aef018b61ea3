# velmora_bench_startup: the program started in fresh processes with generated default journals.
if(NOT TARGET velmora_app)
  message(STATUS "Qt parts not built: velmora_bench_startup is not built")
  return()
endif()
add_executable(velmora_bench_startup ${CMAKE_CURRENT_LIST_DIR}/bench_startup.cpp ${CMAKE_CURRENT_LIST_DIR}/journal_generator.cpp)
target_link_libraries(velmora_bench_startup PRIVATE velmora_app velmora_xml velmora_settings benchmark::benchmark)
target_compile_definitions(velmora_bench_startup PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
