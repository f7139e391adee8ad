# Arbitrary server answers through the client library's receive, payload
# extraction, retry judging, login-page and direct-operation parsing.
add_executable(client_answer_fuzzer
  ${CMAKE_CURRENT_SOURCE_DIR}/client_answer_fuzzer.cc
  ${CMAKE_SOURCE_DIR}/tests/support/loopback.cc)
target_include_directories(client_answer_fuzzer PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(client_answer_fuzzer PRIVATE emclient)
target_link_options(client_answer_fuzzer PRIVATE -fsanitize=fuzzer)
