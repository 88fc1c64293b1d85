# The animated separator bath: one step and repaint against a full repaint of the
# scheme's bath of the same size (bench_separator).
if(TARGET ordal_elements)
  add_executable(bench_separator ${CMAKE_CURRENT_LIST_DIR}/bench_separator.cpp)
  target_link_libraries(bench_separator PRIVATE ordal_elements Qt6::Widgets ordal_warnings)
endif()
