# The state-poll tick against a large history (run through bench/run_poll.sh).
if(TARGET ordal_app)
  add_executable(bench_poll ${CMAKE_CURRENT_LIST_DIR}/bench_poll.cpp)
  target_link_libraries(bench_poll PRIVATE ordal_app ordal_warnings)
endif()
