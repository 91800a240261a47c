# Checks every include between the folders of SOURCES (src/) against TABLE, the
# folders each folder may include from (written by layers.cmake from the link
# graph). Lists every include that points the wrong way, then fails.
cmake_minimum_required(VERSION 3.25)

# The file calls are built into the core library beneath the platform library
# whose header declares them; the text conversions are a header alone, which the
# chart module shares with the window without linking the window's library.
set(exceptions "core -> platform/ordinary_file.h" "app/chart -> app/qt_text.h")

file(STRINGS ${TABLE} rows)
set(layers)
foreach(row IN LISTS rows)
  string(REGEX MATCH "^([^:]+): (.*)$" _ "${row}")
  set(folder ${CMAKE_MATCH_1})
  string(MAKE_C_IDENTIFIER "allowed_${folder}" var)
  string(REPLACE " " ";" ${var} "${CMAKE_MATCH_2}")
  list(APPEND layers ${folder})
endforeach()

# The layer a path under src/ belongs to: the longest folder of the table it lies in.
function(layer_of path out)
  set(best "")
  foreach(folder IN LISTS layers)
    string(LENGTH "${folder}" n)
    string(LENGTH "${best}" m)
    if((path MATCHES "^${folder}/") AND n GREATER m)
      set(best ${folder})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(wrong)
file(GLOB_RECURSE files RELATIVE ${SOURCES} ${SOURCES}/*.h ${SOURCES}/*.cpp)
foreach(file IN LISTS files)
  layer_of(${file} from)
  if(from STREQUAL "")
    continue()
  endif()
  file(STRINGS ${SOURCES}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
  foreach(line IN LISTS includes)
    string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
    set(included ${CMAKE_MATCH_1})
    layer_of(${included} to)
    string(MAKE_C_IDENTIFIER "allowed_${from}" var)
    if(to STREQUAL "" OR to IN_LIST ${var} OR "${from} -> ${included}" IN_LIST exceptions)
      continue()
    endif()
    list(APPEND wrong "  src/${file} includes ${included}: ${from}/ does not build on ${to}/")
  endforeach()
endforeach()

if(wrong)
  list(JOIN wrong "\n" text)
  message(FATAL_ERROR "Includes against the layers of src/ (see ${TABLE}):\n${text}")
endif()
list(LENGTH files n)
message(STATUS "${n} files follow the layers of src/")
