# The alarms' evaluation against the poll's tick, and the history's appends in a
# flood against INI key writes (run through bench/run_alarms.sh).
if(TARGET ordal_app)
  add_executable(bench_alarms ${CMAKE_CURRENT_LIST_DIR}/bench_alarms.cpp)
  target_link_libraries(bench_alarms PRIVATE ordal_app ordal_warnings)
endif()
