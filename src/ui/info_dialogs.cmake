# Help, web page, phone and About dialogs: the web address and the version
# written into a header at configure time, the QR encoder, the program icon
# compiled in as a resource. Included by this folder's CMakeLists.txt once
# quill_ui exists.

set(QUILL_WEB_URL "https://quillometer.example.org/" CACHE STRING
    "The product web page: Help > Web, the phone dialog's code, the About box")
string(REPLACE "\\" "\\\\" QUILL_WEB_URL_ESCAPED "${QUILL_WEB_URL}")
string(REPLACE "\"" "\\\"" QUILL_WEB_URL_ESCAPED "${QUILL_WEB_URL_ESCAPED}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/build_info.h.in
               ${CMAKE_CURRENT_BINARY_DIR}/generated/ui/build_info.h @ONLY)
target_include_directories(quill_ui PUBLIC ${CMAKE_CURRENT_BINARY_DIR}/generated)

find_package(PkgConfig REQUIRED)
pkg_check_modules(QRENCODE REQUIRED IMPORTED_TARGET libqrencode)
target_link_libraries(quill_ui PUBLIC PkgConfig::QRENCODE quill_common)

set(quill_icon_files)
foreach(size 32 48 64 128 256)
  set(png ${PROJECT_SOURCE_DIR}/data/icons/quillometer-${size}.png)
  set_source_files_properties(${png} PROPERTIES QT_RESOURCE_ALIAS icons/quillometer-${size}.png)
  list(APPEND quill_icon_files ${png})
endforeach()
# With a target, Qt links the resource as an object library into everything
# that links quill_ui, so the static library needs no Q_INIT_RESOURCE.
qt_add_resources(quill_ui quill_program_icon PREFIX /quillometer FILES ${quill_icon_files})
