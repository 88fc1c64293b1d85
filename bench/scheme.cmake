# The scheme's tick and the running workstation (run through bench/run_scheme.sh).
if(TARGET ordal_app)
  add_executable(bench_scheme ${CMAKE_CURRENT_LIST_DIR}/bench_scheme.cpp)
  target_link_libraries(bench_scheme PRIVATE ordal_app ordal_warnings)
  add_executable(bench_bare_window ${CMAKE_CURRENT_LIST_DIR}/bench_bare_window.cpp)
  target_link_libraries(bench_bare_window PRIVATE Qt6::Widgets ordal_warnings)
endif()
