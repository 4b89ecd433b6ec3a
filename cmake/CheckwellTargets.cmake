# Every folder below src/ is one library (or program) whose sources are the files
# in that folder; a folder's "widgets/" sub folder is a second library that may
# use Qt Widgets. The engine libraries must never link Qt Widgets.

# A folder that has no sources yet still gives a target, so that dependants link.
function(cw_library_from name sources deps)
  list(FILTER sources INCLUDE REGEX "\\.(cpp|qrc)$")
  if(sources)
    add_library(${name} STATIC ${ARGV1})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(${name} PUBLIC ${deps})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(${name} INTERFACE ${deps})
  endif()
endfunction()

# cw_engine_library(NAME DIR [DEPS ...]): the .cpp files of DIR (not its sub folders).
function(cw_engine_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  cw_library_from(${name} "${sources}" "Qt6::Core;${ARG_DEPS}")
endfunction()

# cw_widgets_library(NAME [SUBDIR dir] [DEPS ...]): the .cpp files of the folder's
# "widgets" sub folder (or SUBDIR, "." for the folder itself), plus any .qrc there.
function(cw_widgets_library name)
  cmake_parse_arguments(ARG "" "SUBDIR" "DEPS" ${ARGN})
  if(NOT ARG_SUBDIR)
    set(ARG_SUBDIR widgets)
  endif()
  set(dir ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_SUBDIR})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
  cw_library_from(${name} "${sources}" "Qt6::Core;Qt6::Gui;Qt6::Widgets;${ARG_DEPS}")
endfunction()
