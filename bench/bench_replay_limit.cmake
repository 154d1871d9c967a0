# The report against a plain C loop over the same generated file.
add_executable(replay_limit_bench ${CMAKE_CURRENT_LIST_DIR}/replay_limit_bench.cpp)
target_link_libraries(replay_limit_bench PRIVATE trackcontrol core_bench_main benchmark::benchmark)
