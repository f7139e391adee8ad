# pelk-sim: one request, as bytes off the wire, framed, decoded and carried
# out on the demo model.
add_executable(fuzz_sim_request ${CMAKE_SOURCE_DIR}/fuzz/sim_request.cc)
target_link_libraries(fuzz_sim_request PRIVATE pelk_sim)
target_link_options(fuzz_sim_request PRIVATE -fsanitize=fuzzer)
