# The preview reports clicks to the editor over a channel only the application's script world sees.
find_package(Qt6 REQUIRED COMPONENTS WebChannel)
target_link_libraries(lorvane_views PUBLIC Qt6::WebChannel)
