# The element gallery: a full repaint of every element of layouts/Gallery.layout
# against a plain blit of a picture of the same size (bench_gallery).
if(TARGET ordal_elements)
  add_executable(bench_gallery ${CMAKE_CURRENT_LIST_DIR}/bench_gallery.cpp)
  target_link_libraries(bench_gallery PRIVATE ordal_elements Qt6::Widgets ordal_warnings)
  if(TARGET ordal_chart) # the gallery holds the small chart too
    target_link_libraries(bench_gallery PRIVATE ordal_chart)
  endif()
  target_compile_definitions(bench_gallery PRIVATE ORDAL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
