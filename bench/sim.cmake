# pelk-sim: requests per second on one kept text connection, against one
# connection per request on the login port and the bare model underneath.
add_executable(bench_sim
  ${CMAKE_SOURCE_DIR}/bench/sim_requests.cc
  ${CMAKE_SOURCE_DIR}/tests/sim/sim_client.cc
  ${CMAKE_SOURCE_DIR}/tests/support/loopback.cc)
target_include_directories(bench_sim PRIVATE ${CMAKE_SOURCE_DIR}/tests/sim
  ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(bench_sim PRIVATE pelk_sim benchmark::benchmark)
