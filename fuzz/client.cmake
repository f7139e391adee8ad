# Arbitrary server answers through the client library's receive (in clear
# and through TLS, from a server side of the fuzzer's own), payload
# extraction, retry judging, login-page and direct-operation parsing.
add_executable(client_answer_fuzzer
  ${CMAKE_CURRENT_SOURCE_DIR}/client_answer_fuzzer.cc
  ${CMAKE_SOURCE_DIR}/tests/support/loopback.cc)
target_include_directories(client_answer_fuzzer PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(client_answer_fuzzer PRIVATE emclient OpenSSL::SSL)
target_compile_definitions(client_answer_fuzzer PRIVATE
  PELK_TLS_LIBRARY="$<TARGET_FILE:pelk_tls>")
add_dependencies(client_answer_fuzzer pelk_tls)
target_link_options(client_answer_fuzzer PRIVATE -fsanitize=fuzzer)
