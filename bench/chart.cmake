# The trend chart: folding, a full paint and the sample density (bench_chart).
if(TARGET ordal_chart)
  add_executable(bench_chart ${CMAKE_CURRENT_LIST_DIR}/bench_chart.cpp)
  target_link_libraries(bench_chart PRIVATE ordal_chart ordal_warnings)
endif()
