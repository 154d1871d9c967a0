# Night mode: a full paint of the main window and of the Options dialog by
# day and at night, where every styled part is drawn into a picture of its
# own and turned red.
add_executable(night_bench ${CMAKE_CURRENT_LIST_DIR}/night_bench.cpp)
target_link_libraries(night_bench PRIVATE mainwindow widget_bench_main benchmark::benchmark)
