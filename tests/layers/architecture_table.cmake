# Checks that docs/ARCHITECTURE.md shows the layers table as docs/layers.txt has it: the fenced
# block after the line "<!-- layers.txt -->" must hold the table's rows, in order, each with the
# same fields (blanks between them may differ).
#   cmake -D LAYERS=<layers.txt> -D PAGE=<ARCHITECTURE.md> -P architecture_table.cmake
cmake_minimum_required(VERSION 3.25)

# The rows of `lines` as fields joined by one blank.
function(normalised_rows lines out)
  set(rows "")
  foreach(line IN LISTS lines)
    string(REGEX MATCHALL "[^ \t]+" fields "${line}")
    list(JOIN fields " " row)
    list(APPEND rows "${row}")
  endforeach()
  set(${out} "${rows}" PARENT_SCOPE)
endfunction()

file(STRINGS "${LAYERS}" table_lines)
list(FILTER table_lines EXCLUDE REGEX "^[ \t]*(#|$)")
normalised_rows("${table_lines}" table)

file(STRINGS "${PAGE}" page_lines)
set(state "before")
set(shown_lines "")
foreach(line IN LISTS page_lines)
  if(state STREQUAL "before" AND line STREQUAL "<!-- layers.txt -->")
    set(state "marker")
  elseif(state STREQUAL "marker" AND line MATCHES "^```")
    set(state "block")
  elseif(state STREQUAL "block" AND line MATCHES "^```")
    set(state "done")
  elseif(state STREQUAL "block")
    list(APPEND shown_lines "${line}")
  endif()
endforeach()
if(NOT state STREQUAL "done")
  message(FATAL_ERROR "${PAGE}: no fenced block after \"<!-- layers.txt -->\"")
endif()
normalised_rows("${shown_lines}" shown)

if(NOT table STREQUAL shown)
  string(REPLACE ";" "\n  " table_text "${table}")
  string(REPLACE ";" "\n  " shown_text "${shown}")
  message(FATAL_ERROR "${PAGE} shows another layers table than ${LAYERS}.\n"
                      "layers.txt:\n  ${table_text}\nARCHITECTURE.md:\n  ${shown_text}")
endif()
list(LENGTH table rows)
message(STATUS "${PAGE} shows the ${rows} rows of ${LAYERS}")
