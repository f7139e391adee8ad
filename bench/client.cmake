# The client library's round trip to a local server on the 12301 path.
find_package(Threads REQUIRED)
add_executable(client_round_trip_bench
  ${CMAKE_CURRENT_SOURCE_DIR}/client_round_trip.cc
  ${CMAKE_SOURCE_DIR}/tests/client/loopback_server.cc
  ${CMAKE_SOURCE_DIR}/tests/support/loopback.cc
)
target_include_directories(client_round_trip_bench PRIVATE
  ${CMAKE_SOURCE_DIR}/tests/client ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(client_round_trip_bench PRIVATE emclient
  benchmark::benchmark Threads::Threads)
