# "Отчёт за смену" of a 12-hour shift made into a PDF against the floor of
# fetching its rows (run through bench/run_report.sh).
if(TARGET ordal_app)
  add_executable(bench_report ${CMAKE_CURRENT_LIST_DIR}/bench_report.cpp)
  target_include_directories(bench_report PRIVATE ${ORDAL_MARIADB_INCLUDE_DIR})
  target_link_libraries(bench_report PRIVATE ordal_app ${ORDAL_MARIADB_LIBRARY} ordal_warnings)
  target_compile_definitions(bench_report PRIVATE ORDAL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
