# TAB completion over the real grammar: every candidate must be accepted.
add_executable(complete_fuzz ${CMAKE_CURRENT_LIST_DIR}/complete_fuzz.cc)
target_link_libraries(complete_fuzz PRIVATE pelk_core)
target_link_options(complete_fuzz PRIVATE -fsanitize=fuzzer)
