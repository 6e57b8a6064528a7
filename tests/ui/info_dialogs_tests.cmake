# Tests of the help commands, the phone and About dialogs and the
# two-dimensional code; all run on the offscreen platform.
find_package(Qt6 REQUIRED COMPONENTS Test Widgets)

foreach(test help_commands_test info_dialogs_test qr_matrix_test)
  add_executable(ui_${test} ${CMAKE_CURRENT_LIST_DIR}/${test}.cpp)
  target_link_libraries(ui_${test} PRIVATE quill_ui Qt6::Test Qt6::Widgets)
  set_target_properties(ui_${test} PROPERTIES AUTOMOC ON)
  add_test(NAME ui.${test} COMMAND ui_${test})
  set_tests_properties(ui.${test} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS ui)
endforeach()

# Shows each dialog and saves a picture of it: tools/screenshot-dialogs.sh.
add_executable(quill_dialog_shots ${CMAKE_CURRENT_LIST_DIR}/dialog_shots.cpp)
target_link_libraries(quill_dialog_shots PRIVATE quill_ui Qt6::Widgets)
