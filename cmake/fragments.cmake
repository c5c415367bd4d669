# Includes every *.cmake fragment of the calling folder. Folders that several pieces of work
# share (src/drill, tools, data, bench, tests/<subsystem>) keep one fragment per piece.
file(GLOB _kanameru_fragments CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cmake)
list(SORT _kanameru_fragments)
foreach(_fragment ${_kanameru_fragments})
  include(${_fragment})
endforeach()
