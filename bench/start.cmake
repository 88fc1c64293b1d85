# The workstation's cold start against a bare Qt window's (run through
# bench/run_start.sh, which starts the server and the plant simulator).
if(TARGET ordal_app)
  add_executable(bench_start ${CMAKE_CURRENT_LIST_DIR}/bench_start.cpp)
  target_link_libraries(bench_start PRIVATE ordal_app ordal_warnings)
  add_executable(bench_bare_start ${CMAKE_CURRENT_LIST_DIR}/bench_bare_start.cpp)
  target_link_libraries(bench_bare_start PRIVATE Qt6::Widgets Qt6::Sql ordal_warnings)
endif()
