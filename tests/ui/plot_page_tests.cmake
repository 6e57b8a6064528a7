# The plot page on the offscreen platform, and the program that takes its
# picture for the documentation (tools/screenshot-plot.sh).
add_executable(ui_plot_page_test ${CMAKE_CURRENT_LIST_DIR}/plot_page_test.cpp)
target_link_libraries(ui_plot_page_test PRIVATE quill_ui Qt6::Test Qt6::Widgets)
set_target_properties(ui_plot_page_test PROPERTIES AUTOMOC ON)
add_test(NAME ui.plot_page_test COMMAND ui_plot_page_test)
set_tests_properties(ui.plot_page_test PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS ui)

add_executable(quill_plot_shot ${CMAKE_CURRENT_LIST_DIR}/plot_shot.cpp)
target_link_libraries(quill_plot_shot PRIVATE quill_ui Qt6::Widgets)
