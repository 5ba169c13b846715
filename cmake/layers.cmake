# One static library per layer of the program. A layer sees only its own
# headers and those of the layers it links: each layer's headers are linked
# into a folder of their own under the build tree, and that folder is the
# only include path the layer hands on. An include against the allowed
# direction (a page writer including the driver, say) then fails to build.
#
#   rd_layer(NAME FILES pattern... [LINKS target...] [PRIVATE_LINKS target...]
#            [INTERNAL pattern...])
#
# Patterns are relative to src/ ("pages/*", "word/read/**"); "**" takes
# sub-folders too. Every source file must belong to exactly one layer.
# LINKS are handed on to the layers above; PRIVATE_LINKS are not, so their
# headers stay out of reach above this layer. INTERNAL headers are the
# layer's own: its sources see them, and so does whoever links
# rd_NAME_internal (the tests and benchmarks), no other layer.
set(RD_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)
set_property(GLOBAL PROPERTY RD_LAYERED_FILES "")

# The files of src/ that `patterns` name.
function(rd_layer_files out)
  set(files "")
  foreach(pattern ${ARGN})
    if(pattern MATCHES "/\\*\\*$")
      string(REGEX REPLACE "\\*\\*$" "" folder ${pattern})
      file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}*.cpp
           ${CMAKE_SOURCE_DIR}/src/${folder}*.h)
    else()
      file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${pattern})
    endif()
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# Links the headers among `files` into the folder `include`.
function(rd_layer_headers include)
  file(REMOVE_RECURSE ${include})
  foreach(file ${ARGN})
    if(NOT file MATCHES "\\.cpp$")
      file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/src ${file})
      get_filename_component(dir ${include}/${rel} DIRECTORY)
      file(MAKE_DIRECTORY ${dir})
      file(CREATE_LINK ${file} ${include}/${rel} SYMBOLIC)
    endif()
  endforeach()
endfunction()

function(rd_layer name)
  cmake_parse_arguments(L "" "" "FILES;LINKS;PRIVATE_LINKS;INTERNAL" ${ARGN})
  set(include ${RD_LAYER_ROOT}/${name})
  rd_layer_files(files ${L_FILES})
  rd_layer_headers(${include} ${files})
  set(sources ${files})
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  set_property(GLOBAL APPEND PROPERTY RD_LAYERED_FILES ${files})
  add_library(rd_${name} STATIC ${sources})
  target_include_directories(rd_${name} PUBLIC ${include})
  target_link_libraries(rd_${name} PUBLIC ${L_LINKS} PRIVATE ${L_PRIVATE_LINKS})
  if(L_INTERNAL)
    set(internal ${RD_LAYER_ROOT}/${name}-internal)
    rd_layer_files(headers ${L_INTERNAL})
    rd_layer_headers(${internal} ${headers})
    set_property(GLOBAL APPEND PROPERTY RD_LAYERED_FILES ${headers})
    target_include_directories(rd_${name} PRIVATE ${internal})
    add_library(rd_${name}_internal INTERFACE)
    target_include_directories(rd_${name}_internal INTERFACE ${internal})
    target_link_libraries(rd_${name}_internal INTERFACE rd_${name} ${L_PRIVATE_LINKS})
  endif()
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
