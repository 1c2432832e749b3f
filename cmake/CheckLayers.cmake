# Fails when a file under src/ includes a header of a higher layer. Each folder of src/ is a layer; a
# file may include its own layer and any lower one. Folders of one rank (assembly and bus, cli and
# interface, keys and schedule) are siblings and include neither each other.
#   cmake -DSOURCE_DIR=<checkout> -P cmake/CheckLayers.cmake
set(layer_ranks runtime=0 edid=1 platform=2 hardware=3 registry=4 keys=5 schedule=5 intents=6 assembly=7 bus=7 cli=8
                interface=8 app=9)
foreach(entry IN LISTS layer_ranks)
  string(REPLACE "=" ";" pair ${entry})
  list(GET pair 0 name)
  list(GET pair 1 rank)
  set(rank_${name} ${rank})
endforeach()

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp
     ${SOURCE_DIR}/src/*.in)
set(violations 0)
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" layer ${file})
  if(NOT DEFINED rank_${layer})
    if(NOT file MATCHES "/")
      continue()  # files at the root of src/ belong to no layer
    endif()
    message(SEND_ERROR "src/${file}: the folder '${layer}' has no place in the layer order of cmake/CheckLayers.cmake")
    math(EXPR violations "${violations} + 1")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/src/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
    string(REGEX MATCH "^[^/]+" included ${header})
    if(NOT DEFINED rank_${included} OR included STREQUAL layer)
      continue()
    endif()
    if(NOT rank_${included} LESS rank_${layer})
      message(SEND_ERROR "src/${file} (layer ${layer}) includes \"${header}\" of the layer ${included}, which is not below it")
      math(EXPR violations "${violations} + 1")
    endif()
  endforeach()
endforeach()
list(LENGTH files checked)
if(violations)
  message(FATAL_ERROR "${violations} include(s) against the layer order in ${checked} files")
endif()
message(STATUS "Layer order kept by ${checked} files")
