# Delay of a steer on a 4800-baud autopilot line under a 10 Hz wind.
add_executable(pilot_line_bench ${CMAKE_CURRENT_LIST_DIR}/pilot_line_bench.cpp)
target_link_libraries(pilot_line_bench PRIVATE platform core_bench_main benchmark::benchmark)
