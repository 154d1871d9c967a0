# The Options dialog's response preview: the simulation alone and the whole
# drawing, at the default 300 seconds and at the longest a day.
add_executable(track_preview_bench ${CMAKE_CURRENT_LIST_DIR}/track_preview_bench.cpp)
target_link_libraries(track_preview_bench PRIVATE options widget_bench_main benchmark::benchmark)
