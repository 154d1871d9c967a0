# Polar lookup, one live update of the Polar window and its full redraw.
add_executable(polar_bench ${CMAKE_CURRENT_LIST_DIR}/polar_bench.cpp)
target_link_libraries(polar_bench PRIVATE polarwindow widget_bench_main benchmark::benchmark)
