# velmora_bench_crypto: sealing and opening the 50-year journal beside memcpy and plain reads, and
# the key derivation with the parameters tuned here; the library core opening and saving it plain
# and sealed.
add_executable(velmora_bench_crypto ${CMAKE_CURRENT_LIST_DIR}/bench_crypto.cpp ${CMAKE_CURRENT_LIST_DIR}/journal_generator.cpp)
target_link_libraries(velmora_bench_crypto PRIVATE velmora_crypto velmora_library velmora_xml velmora_settings benchmark::benchmark PkgConfig::SODIUM)
