# Fails when a file under src/ includes one of the program's headers from a folder above its own.
# cmake -DSOURCE_DIR=<the src folder> -DLAYERS=<folders from the bottom up, comma-separated>
#       -P check_layers.cmake
# A file's folder is the first folder under src/ that holds it; a header is known by its file
# name, so two headers of one name would make the check ambiguous and are refused as well.

if(NOT SOURCE_DIR OR NOT LAYERS)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<src> -DLAYERS=a,b,c -P check_layers.cmake")
endif()
string(REPLACE "," ";" layers "${LAYERS}")

function(folder_of path out)
  string(REGEX MATCH "^[^/]+" folder "${path}")
  set(${out} "${folder}" PARENT_SCOPE)
endfunction()

set(problems "")

file(GLOB_RECURSE headers RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h")
foreach(header IN LISTS headers)
  get_filename_component(name "${header}" NAME)
  if(DEFINED "place_of_${name}")
    list(APPEND problems "two headers named ${name}: ${place_of_${name}} and ${header}")
  endif()
  set("place_of_${name}" "${header}")
  folder_of("${header}" folder)
  set("folder_of_${name}" "${folder}")
endforeach()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(checked 0)
foreach(source IN LISTS sources)
  folder_of("${source}" own)
  list(FIND layers "${own}" ownLevel)
  if(ownLevel LESS 0)
    list(APPEND problems "${source}: the folder ${own} has no place in the layer order")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
    get_filename_component(name "${included}" NAME)
    if(NOT DEFINED "folder_of_${name}")
      continue()  # not one of ours (a system or generated header)
    endif()
    set(theirs "${folder_of_${name}}")
    list(FIND layers "${theirs}" theirLevel)
    math(EXPR checked "${checked} + 1")
    if(theirLevel GREATER ownLevel)
      list(APPEND problems "${source} includes ${name} from ${theirs}, above ${own}")
    endif()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Includes against the layer order (${LAYERS}):\n  ${text}")
endif()
message(STATUS "${checked} includes of our own headers follow the layer order ${LAYERS}")
