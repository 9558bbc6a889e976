# Each layer is also linked alone into a throw-away shared object with
# --no-undefined: a call from a lower layer into a higher one (which the
# static archives would otherwise leave for the final link to satisfy) fails
# the build here.
set(_empty ${CMAKE_BINARY_DIR}/layer_check.cpp)
file(CONFIGURE OUTPUT ${_empty} CONTENT "// Nothing: the layer's archive is the content.\n")
get_property(_layers GLOBAL PROPERTY LORVANE_LAYERS)
foreach(layer ${_layers})
  set_target_properties(${layer} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  add_library(${layer}_check SHARED ${_empty})
  set_target_properties(${layer}_check PROPERTIES AUTOMOC OFF LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layer_check)
  target_link_libraries(${layer}_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${layer}>")
  target_link_options(${layer}_check PRIVATE -Wl,--no-undefined -Wl,--strip-debug)
endforeach()

# Headers too: an include may only name its own layer or one below.
add_test(NAME layers.includes
  COMMAND ${CMAKE_COMMAND} -DSRC=${CMAKE_SOURCE_DIR}/src -P ${CMAKE_SOURCE_DIR}/tools/check_layers.cmake)
