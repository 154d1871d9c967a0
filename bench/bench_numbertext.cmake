# Label texts: the number-text module against Qt's own conversion on the
# same values.
add_executable(numbertext_bench ${CMAKE_CURRENT_LIST_DIR}/numbertext_bench.cpp)
target_link_libraries(numbertext_bench PRIVATE platform benchmark::benchmark)
