# TrendScope: cost of one reading while drawing, and of a full redraw of a
# day of recording.
add_executable(chart_bench ${CMAKE_CURRENT_SOURCE_DIR}/chart_bench.cpp)
target_include_directories(chart_bench PRIVATE ${PROJECT_SOURCE_DIR}/chart/examples)
target_link_libraries(chart_bench PRIVATE TrendScope::TrendScope platform benchmark::benchmark)
