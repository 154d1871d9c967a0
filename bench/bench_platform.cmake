# Profile reads at start and the save at close.
add_executable(bench_profile ${CMAKE_CURRENT_LIST_DIR}/bench_profile.cpp)
target_link_libraries(bench_profile PRIVATE settings benchmark::benchmark)
