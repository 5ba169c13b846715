# One static library per layer of the program. A layer sees only its own
# headers and those of the layers it links: each layer's headers are linked
# into a folder of their own under the build tree, and that folder is the
# only include path the layer hands on. An include against the allowed
# direction (a page writer including the driver, say) then fails to build.
#
#   rd_layer(NAME FILES pattern... [LINKS target...])
#
# Patterns are relative to src/ ("pages/*", "word/read/**"); "**" takes
# sub-folders too. Every source file must belong to exactly one layer.

set(RD_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)
set_property(GLOBAL PROPERTY RD_LAYERED_FILES "")

function(rd_layer name)
  cmake_parse_arguments(L "" "" "FILES;LINKS" ${ARGN})
  set(include ${RD_LAYER_ROOT}/${name})
  file(REMOVE_RECURSE ${include})
  set(files "")
  foreach(pattern ${L_FILES})
    if(pattern MATCHES "/\\*\\*$")
      string(REGEX REPLACE "\\*\\*$" "" folder ${pattern})
      file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}*.cpp
           ${CMAKE_SOURCE_DIR}/src/${folder}*.h)
    else()
      file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${pattern})
    endif()
    list(APPEND files ${found})
  endforeach()
  set(sources "")
  foreach(file ${files})
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/src ${file})
    if(file MATCHES "\\.cpp$")
      list(APPEND sources ${file})
    else()
      get_filename_component(dir ${include}/${rel} DIRECTORY)
      file(MAKE_DIRECTORY ${dir})
      file(CREATE_LINK ${file} ${include}/${rel} SYMBOLIC)
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY RD_LAYERED_FILES ${files})
  add_library(rd_${name} STATIC ${sources})
  target_include_directories(rd_${name} PUBLIC ${include})
  target_link_libraries(rd_${name} PUBLIC ${L_LINKS})
endfunction()

# Run after the layers of src/ are declared (the window's is in src/app).
function(rd_check_layers)
  get_property(layered GLOBAL PROPERTY RD_LAYERED_FILES)
  file(GLOB_RECURSE all CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h)
  foreach(file ${all})
    list(FIND layered ${file} at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${file} belongs to no layer: add it to one in CMakeLists.txt")
    endif()
    list(REMOVE_AT layered ${at})
    list(FIND layered ${file} again)
    if(NOT again EQUAL -1)
      message(FATAL_ERROR "${file} belongs to two layers")
    endif()
  endforeach()
endfunction()
