# The plot page: the plotting widget (QCustomPlot for Qt 6, which needs Qt's
# print support), SVG export and the plot's Qt-free data side.
find_package(Qt6 REQUIRED COMPONENTS PrintSupport Svg)
find_package(QCustomPlotQt6 REQUIRED)
target_link_libraries(quill_ui PUBLIC quill_plot Qt6::Svg QCustomPlotQt6::QCustomPlotQt6)
