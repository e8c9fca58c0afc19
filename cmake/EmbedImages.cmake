# cmake -DIMAGE_DIR=<folder of <id>.png> -DOUTPUT=<file.cpp> -P EmbedImages.cmake
#
# Writes a C++ source holding every PNG of IMAGE_DIR as a byte array and a
# table of (resource id, bytes, size) sorted by id, behind the declarations of
# resources/embedded_images.h. Plain CMake, so the Windows cross builds need
# no resource compiler.
file(GLOB images "${IMAGE_DIR}/*.png")
set(ids)
foreach(image ${images})
  get_filename_component(name ${image} NAME_WE)
  if(name MATCHES "^[0-9]+$")
    list(APPEND ids ${name})
  endif()
endforeach()
list(SORT ids COMPARE NATURAL)

set(body "// Generated from resources/images by cmake/EmbedImages.cmake. Do not edit.\n")
string(APPEND body "#include \"resources/embedded_images.h\"\n\nnamespace vt {\nnamespace {\n\n")
set(table)
foreach(id ${ids})
  file(READ "${IMAGE_DIR}/${id}.png" hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Break the array into lines of 24 bytes (120 characters).
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n" bytes "${bytes}")
  string(APPEND body "const unsigned char kImage${id}[${size}] = {\n${bytes}};\n\n")
  string(APPEND table "    {${id}, kImage${id}, ${size}},\n")
endforeach()
list(LENGTH ids count)
string(APPEND body "const EmbeddedImage kImages[${count}] = {\n${table}};\n\n}  // namespace\n\n")
string(APPEND body "const EmbeddedImage* embeddedImages() { return kImages; }\n")
string(APPEND body "int embeddedImageCount() { return ${count}; }\n\n}  // namespace vt\n")

# Rewrite only on change so the source does not recompile needlessly.
set(previous "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" previous)
endif()
if(NOT previous STREQUAL body)
  file(WRITE "${OUTPUT}" "${body}")
endif()
