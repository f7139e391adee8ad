# pelk's memory: the peak while the largest answers are parsed and shown,
# and the resident size of a long session.
find_package(Threads REQUIRED)
foreach(program answer_memory_bench session_memory_bench)
  add_executable(${program}
    ${CMAKE_CURRENT_LIST_DIR}/${program}.cc
    ${CMAKE_CURRENT_LIST_DIR}/list_server.cc
    ${CMAKE_CURRENT_LIST_DIR}/process_peak.cc
    ${CMAKE_SOURCE_DIR}/tests/client/loopback_server.cc
    ${CMAKE_SOURCE_DIR}/tests/support/loopback.cc)
  target_include_directories(${program} PRIVATE ${CMAKE_SOURCE_DIR}/tests/client
    ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${program} PRIVATE benchmark::benchmark Threads::Threads)
  target_compile_definitions(${program} PRIVATE PELK_BINARY="$<TARGET_FILE:pelk>")
  add_dependencies(${program} pelk)
endforeach()
