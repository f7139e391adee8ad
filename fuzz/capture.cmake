# Arbitrary file contents through CAPTURE VALIDATE.
add_executable(capture_validate_fuzz ${CMAKE_CURRENT_LIST_DIR}/capture_validate_fuzz.cc)
target_link_libraries(capture_validate_fuzz PRIVATE pelk_core)
target_link_options(capture_validate_fuzz PRIVATE -fsanitize=fuzzer)
