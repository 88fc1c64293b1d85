# Loading layouts of 1,000 and 10,000 elements: the cost per element must not grow with the count (bench_layout).
if(TARGET ordal_elements)
  add_executable(bench_layout ${CMAKE_CURRENT_LIST_DIR}/bench_layout.cpp)
  target_link_libraries(bench_layout PRIVATE ordal_elements ordal_warnings)
endif()
