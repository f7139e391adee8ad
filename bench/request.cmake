# The request layer: SHOW of large answers, and the response parser beside
# a general-purpose XML parser (used here only).
add_executable(request_show_bench ${CMAKE_CURRENT_LIST_DIR}/request_show_bench.cc)
target_link_libraries(request_show_bench PRIVATE pelk_core benchmark::benchmark_main)

find_package(pugixml REQUIRED)
add_executable(request_parser_compare_bench
  ${CMAKE_CURRENT_LIST_DIR}/request_parser_compare_bench.cc)
target_link_libraries(request_parser_compare_bench PRIVATE
  pelk_core pugixml::pugixml benchmark::benchmark_main)
