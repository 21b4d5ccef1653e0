# One library per layer, made of every .cpp file in the layer's folder. A layer
# whose folder holds no sources yet is an interface library with the same links,
# so the layers above it build the same way before and after it lands.

function(qr_add_layer name)
  cmake_parse_arguments(L "" "" "SOURCES;LINKS" ${ARGN})
  if(L_SOURCES)
    add_library(${name} STATIC ${L_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_LINKS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${L_LINKS})
  endif()
endfunction()
