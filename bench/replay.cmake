# A script of 1,000 commands replayed by pelk against pelk-sim, beside the
# same requests sent by a bare client on one kept connection: a program of
# its own, and the same code in the benchmark's process.
# The bare program is linked the way pelk is, so their starts compare. It
# is no benchmark, so it lives apart from them: bench/report runs each.
add_executable(bare_script_client
  ${CMAKE_CURRENT_LIST_DIR}/bare_script_client.cc)
target_link_options(bare_script_client PRIVATE -static-libstdc++
  -static-libgcc)
set_target_properties(bare_script_client PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/programs)

add_executable(script_replay_bench
  ${CMAKE_CURRENT_LIST_DIR}/script_replay_bench.cc
  ${CMAKE_SOURCE_DIR}/tests/sim/sim_client.cc
  ${CMAKE_SOURCE_DIR}/tests/support/run_program.cc
  ${CMAKE_SOURCE_DIR}/tests/support/sim_process.cc
  ${CMAKE_SOURCE_DIR}/tests/support/loopback.cc)
target_include_directories(script_replay_bench PRIVATE
  ${CMAKE_SOURCE_DIR}/tests/sim ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(script_replay_bench PRIVATE pelk_sim pelk_platform
  benchmark::benchmark)
target_compile_definitions(script_replay_bench PRIVATE
  PELK_BINARY="$<TARGET_FILE:pelk>"
  PELK_SIM_BINARY="$<TARGET_FILE:pelk-sim>"
  BARE_CLIENT_BINARY="$<TARGET_FILE:bare_script_client>")
add_dependencies(script_replay_bench pelk pelk-sim bare_script_client)
