# Course mode: one course update of the Polar window (search, live layer,
# steer controls) and the search alone.
add_executable(course_bench ${CMAKE_CURRENT_LIST_DIR}/course_bench.cpp)
target_link_libraries(course_bench PRIVATE polarwindow widget_bench_main benchmark::benchmark)
