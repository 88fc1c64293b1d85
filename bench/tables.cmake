# The database browser's and the journal's loads (run through bench/run_tables.sh).
if(TARGET ordal_app)
  add_executable(bench_tables ${CMAKE_CURRENT_LIST_DIR}/bench_tables.cpp)
  target_include_directories(bench_tables PRIVATE ${ORDAL_MARIADB_INCLUDE_DIR})
  target_link_libraries(bench_tables PRIVATE ordal_app ${ORDAL_MARIADB_LIBRARY} ordal_warnings)
endif()
