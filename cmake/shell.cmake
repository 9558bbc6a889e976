# Window shell: icons rendered with QtSvg.
find_package(Qt6 REQUIRED COMPONENTS Svg)
target_link_libraries(lorvane_views PUBLIC Qt6::Svg)
# The surface the live preview draws through.
find_package(Qt6 REQUIRED COMPONENTS QuickWidgets)
target_link_libraries(lorvane_views PUBLIC Qt6::QuickWidgets)
# Files handed to a second start go to the running editor.
find_package(Qt6 REQUIRED COMPONENTS Network)
target_link_libraries(lorvane_views PUBLIC Qt6::Network)
