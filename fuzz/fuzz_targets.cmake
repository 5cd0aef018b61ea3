# fuzz_xml_reader: a libFuzzer binary with VELMORA_FUZZ (clang), else a replay program over the
# kept corpus and regressions, registered as a test.
set(VELMORA_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
if(VELMORA_FUZZ)
  set(fuzz_flags -fsanitize=fuzzer,address,undefined -fno-omit-frame-pointer)
  add_library(velmora_xml_fuzzlib STATIC
    ${PROJECT_SOURCE_DIR}/xml/xml_functions.cpp ${PROJECT_SOURCE_DIR}/xml/xml_attribute.cpp
    ${PROJECT_SOURCE_DIR}/xml/xml_node.cpp ${PROJECT_SOURCE_DIR}/xml/xml_nodeText.cpp ${PROJECT_SOURCE_DIR}/xml/xml_docType.cpp
    ${PROJECT_SOURCE_DIR}/xml/xml_parameters.cpp ${PROJECT_SOURCE_DIR}/xml/xml_mainUnit.cpp
    ${PROJECT_SOURCE_DIR}/xml/xml_textStream.cpp)
  target_include_directories(velmora_xml_fuzzlib PUBLIC ${PROJECT_SOURCE_DIR}/xml)
  target_link_libraries(velmora_xml_fuzzlib PUBLIC velmora_settings)
  # The library itself is instrumented for coverage but gets its main from libFuzzer.
  target_compile_options(velmora_xml_fuzzlib PRIVATE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_executable(fuzz_xml_reader ${VELMORA_FUZZ_DIR}/fuzz_xml_reader.cpp)
  target_compile_options(fuzz_xml_reader PRIVATE ${fuzz_flags})
  target_link_options(fuzz_xml_reader PRIVATE ${fuzz_flags})
  target_link_libraries(fuzz_xml_reader PRIVATE velmora_xml_fuzzlib)
else()
  add_executable(fuzz_xml_reader ${VELMORA_FUZZ_DIR}/fuzz_xml_reader.cpp ${VELMORA_FUZZ_DIR}/fuzz_replay_main.cpp)
  target_link_libraries(fuzz_xml_reader PRIVATE velmora_xml velmora_settings)
  if(VELMORA_BUILD_TESTS)
    add_test(NAME fuzz_xml_reader_replay
             COMMAND fuzz_xml_reader ${VELMORA_FUZZ_DIR}/corpus ${VELMORA_FUZZ_DIR}/regressions)
  endif()
endif()
