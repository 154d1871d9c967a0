# Parsing speed of the instrument receive path.
add_executable(nmea_parse_bench ${CMAKE_CURRENT_LIST_DIR}/nmea_parse_bench.cpp)
target_link_libraries(nmea_parse_bench PRIVATE input benchmark::benchmark)
