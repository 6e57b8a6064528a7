# The language choice and its settings file, Help and Web, the notice and the
# plot page in the main window; what screen readers get from it.
foreach(test language_settings_test accessibility_test)
  add_executable(ui_${test} ${CMAKE_CURRENT_LIST_DIR}/${test}.cpp)
  target_link_libraries(ui_${test} PRIVATE quill_ui Qt6::Test Qt6::Widgets)
  set_target_properties(ui_${test} PROPERTIES AUTOMOC ON)
  add_test(NAME ui.${test} COMMAND ui_${test})
  set_tests_properties(ui.${test} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS ui)
endforeach()
