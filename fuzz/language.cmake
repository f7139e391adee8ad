# The command-line parser over the real grammar, handlers included.
add_executable(parse_fuzz ${CMAKE_CURRENT_LIST_DIR}/parse_fuzz.cc)
target_link_libraries(parse_fuzz PRIVATE pelk_core)
target_link_options(parse_fuzz PRIVATE -fsanitize=fuzzer)
