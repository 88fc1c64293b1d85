# A trend window's reload of a day against the floor of fetching the same
# rows (run through bench/run_trends.sh, which starts the server and fills it).
if(TARGET ordal_app)
  add_executable(bench_trends ${CMAKE_CURRENT_LIST_DIR}/bench_trends.cpp)
  target_include_directories(bench_trends PRIVATE ${ORDAL_MARIADB_INCLUDE_DIR})
  target_link_libraries(bench_trends PRIVATE ordal_app ${ORDAL_MARIADB_LIBRARY} ordal_warnings)
endif()
