# CAPTURE CONFIGURATION of a large system on pelk-sim, and again against
# its recorded answers: time and requests per object at two sizes, against
# the bare round trips of the same requests; and pelk's peak memory for
# the same capture.
add_executable(capture_scale_bench
  ${CMAKE_CURRENT_LIST_DIR}/capture_scale.cc
  ${CMAKE_CURRENT_LIST_DIR}/process_peak.cc
  ${CMAKE_SOURCE_DIR}/tests/support/run_program.cc
  ${CMAKE_SOURCE_DIR}/tests/support/loopback.cc
  ${CMAKE_SOURCE_DIR}/tests/client/loopback_server.cc)
target_include_directories(capture_scale_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests
  ${CMAKE_SOURCE_DIR}/tests/client)
find_package(Threads REQUIRED)
target_link_libraries(capture_scale_bench PRIVATE pelk_core emclient
  benchmark::benchmark_main Threads::Threads)
target_compile_definitions(capture_scale_bench PRIVATE
  PELK_SIM_BINARY="$<TARGET_FILE:pelk-sim>"
  PELK_BINARY="$<TARGET_FILE:pelk>")
add_dependencies(capture_scale_bench pelk-sim pelk)
