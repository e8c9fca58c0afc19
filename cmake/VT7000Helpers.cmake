# vt7000_glob_sources(VAR dir...): the .cpp files directly inside each folder.
# New files are picked up on the next build without editing a list.
function(vt7000_glob_sources var)
  set(result)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND result ${found})
  endforeach()
  set(${var} ${result} PARENT_SCOPE)
endfunction()
