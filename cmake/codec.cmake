# Real prose per language for the encoding-detection tests, kept as UTF-8 and
# converted by the tests themselves.
if(NOT LORVANE_TESTS)
  return()
endif()
target_compile_definitions(lorvane_tests PRIVATE
  LORVANE_CODEC_CORPUS="${CMAKE_SOURCE_DIR}/tests/core/codec_corpus")
