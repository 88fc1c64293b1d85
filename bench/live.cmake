# The live side while history is being read (run through bench/run_live.sh).
if(TARGET ordal_app)
  add_executable(bench_live ${CMAKE_CURRENT_LIST_DIR}/bench_live.cpp)
  target_link_libraries(bench_live PRIVATE ordal_app ordal_warnings)
endif()
