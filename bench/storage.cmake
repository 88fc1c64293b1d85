# The day-file data set: locating a record by its stamp and appending one, against
# one INI key read and one key write of the same file (bench_storage).
if(TARGET ordal_storage)
  add_executable(bench_storage ${CMAKE_CURRENT_LIST_DIR}/bench_storage.cpp)
  target_link_libraries(bench_storage PRIVATE ordal_storage ordal_warnings)
endif()
