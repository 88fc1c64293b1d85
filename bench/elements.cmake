# The element framework: value field paints and the float format patterns (bench_elements).
if(TARGET ordal_elements)
  add_executable(bench_elements ${CMAKE_CURRENT_LIST_DIR}/bench_elements.cpp)
  target_link_libraries(bench_elements PRIVATE ordal_elements ordal_warnings)
endif()
