# The rule list's JSON coding against a bare JSON parse (included from bench/CMakeLists.txt).
if(NOT TARGET benchmark::benchmark)
  find_package(benchmark REQUIRED)
endif()
add_executable(bench_rule_coding ${CMAKE_CURRENT_LIST_DIR}/rule_coding_bench.cpp)
target_link_libraries(bench_rule_coding PRIVATE nimbrel_core nimbrel_simulated benchmark::benchmark)
