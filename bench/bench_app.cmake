# One wind sentence from the characters in to the APB sentence out, through
# the main window (headless): receive path, instrument state, control step,
# output and every display update.
add_executable(app_mwv_to_apb ${CMAKE_CURRENT_LIST_DIR}/app_mwv_to_apb.cpp)
target_link_libraries(app_mwv_to_apb PRIVATE mainwindow widget_bench_main benchmark::benchmark)
