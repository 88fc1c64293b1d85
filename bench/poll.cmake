# The state-poll tick against a large history (run through bench/run_poll.sh).
if(TARGET ordal_app)
  add_executable(bench_poll ${CMAKE_CURRENT_LIST_DIR}/bench_poll.cpp)
  target_include_directories(bench_poll PRIVATE ${ORDAL_MARIADB_INCLUDE_DIR})
  target_link_libraries(bench_poll PRIVATE ordal_app ${ORDAL_MARIADB_LIBRARY} ordal_warnings)
endif()
