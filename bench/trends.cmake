# A trend window's reload of a day against the stock client fetching the same
# rows (run through bench/run_trends.sh, which starts the server and fills it).
if(TARGET ordal_app)
  add_executable(bench_trends ${CMAKE_CURRENT_LIST_DIR}/bench_trends.cpp)
  target_link_libraries(bench_trends PRIVATE ordal_app ordal_warnings)
endif()
