# History window: one reading while shown, and a day of nine values stamped
# into its chart with the resident memory afterwards. history_idle.sh
# measures the whole program idling with the window shown.
add_executable(history_bench ${CMAKE_CURRENT_LIST_DIR}/history_bench.cpp)
target_include_directories(history_bench PRIVATE ${PROJECT_SOURCE_DIR}/chart/examples)
target_link_libraries(history_bench PRIVATE history widget_bench_main benchmark::benchmark)
