# The response parser and the object display over arbitrary server answers.
add_executable(request_response_fuzz ${CMAKE_CURRENT_LIST_DIR}/request_response_fuzz.cc)
target_link_libraries(request_response_fuzz PRIVATE pelk_core)
target_link_options(request_response_fuzz PRIVATE -fsanitize=fuzzer)
