# TLS to the manager: a kept-connection round trip over TLS beside one in
# clear, and the start of pelk (which loads no TLS library until a manager
# needs it) beside that of a program that does nothing.
find_package(Threads REQUIRED)
add_executable(tls_round_trip_bench
  ${CMAKE_CURRENT_LIST_DIR}/tls_round_trip.cc
  ${CMAKE_SOURCE_DIR}/tests/client/loopback_server.cc
  ${CMAKE_SOURCE_DIR}/tests/sim/sim_client.cc
  ${CMAKE_SOURCE_DIR}/tests/support/loopback.cc)
target_include_directories(tls_round_trip_bench PRIVATE
  ${CMAKE_SOURCE_DIR}/tests/client ${CMAKE_SOURCE_DIR}/tests/sim
  ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(tls_round_trip_bench PRIVATE emclient pelk_sim
  OpenSSL::SSL benchmark::benchmark Threads::Threads)
target_compile_definitions(tls_round_trip_bench PRIVATE
  PELK_TLS_LIBRARY="$<TARGET_FILE:pelk_tls>")
add_dependencies(tls_round_trip_bench pelk_tls)

add_executable(start_bench ${CMAKE_CURRENT_LIST_DIR}/start_bench.cc)
target_link_libraries(start_bench PRIVATE benchmark::benchmark)
target_compile_definitions(start_bench PRIVATE
  PELK_BINARY="$<TARGET_FILE:pelk>")
add_dependencies(start_bench pelk)
