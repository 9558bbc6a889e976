# Window shell: icons rendered with QtSvg.
find_package(Qt6 REQUIRED COMPONENTS Svg)
target_link_libraries(lorvane_views PUBLIC Qt6::Svg)
# The live preview.
find_package(Qt6 REQUIRED COMPONENTS WebEngineWidgets)
target_link_libraries(lorvane_views PUBLIC Qt6::WebEngineWidgets)
find_package(Qt6 REQUIRED COMPONENTS QuickWidgets)
target_link_libraries(lorvane_views PUBLIC Qt6::QuickWidgets)
# Files handed to a second start go to the running editor.
find_package(Qt6 REQUIRED COMPONENTS Network)
target_link_libraries(lorvane_views PUBLIC Qt6::Network)
