# hcci_layer(NAME SOURCES... [PUBLIC libs...] [PRIVATE libs...]): one layer of the source tree as
# a static library whose includes name their folder from src/ ("core/model/sweep.h"). The native
# build and the page's build both make the core's layers with it.
set(HCCI_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR})
function(hcci_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 layer "" "" "SOURCES;PUBLIC;PRIVATE")
  add_library(${name} STATIC ${layer_SOURCES})
  target_include_directories(${name} PUBLIC ${HCCI_SOURCE_ROOT})
  target_link_libraries(${name} PUBLIC ${layer_PUBLIC} PRIVATE ${layer_PRIVATE} hcci_warnings)
endfunction()
