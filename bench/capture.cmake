# CAPTURE CONFIGURATION of a large system on pelk-sim: time and requests
# per object at two sizes, against the bare round trips of the same
# requests.
add_executable(capture_scale_bench
  ${CMAKE_CURRENT_LIST_DIR}/capture_scale.cc
  ${CMAKE_SOURCE_DIR}/tests/support/run_program.cc)
target_include_directories(capture_scale_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(capture_scale_bench PRIVATE pelk_core emclient
  benchmark::benchmark_main)
target_compile_definitions(capture_scale_bench PRIVATE
  PELK_SIM_BINARY="$<TARGET_FILE:pelk-sim>")
add_dependencies(capture_scale_bench pelk-sim)
