# Checks the #include lines of every library's sources and headers against the layers table,
# and against the per-system rule of cmake/SystemSources.cmake: Linux's own headers only in a
# Linux file, Windows' only in a Windows file.
#   cmake -D SOURCE_DIR=<tree> -D LAYERS=<table> -P check_layers.cmake
# Names each include that goes against either and fails if there is one. The table's format is
# described at its top (docs/layers.txt). Only the libraries' files are checked: the tests
# choose their per-system programs by directory (tests/windows/, tests/win32view/), not by the
# rule, and are no part of what ships.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/SystemSources.cmake")

# Headers that only one system has, by the system, as patterns of the include's path. Our own
# platform/linux/ headers count as Linux's too.
set(linux_headers "^(linux|asm|asm-generic)/"
                  "^sys/(eventfd|epoll|inotify|signalfd|timerfd)\\.h$")
set(win32_headers "^(windows|winreg|winbase|winuser|commctrl|shellapi|shlobj|io)\\.h$")

foreach(required SOURCE_DIR LAYERS)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "check_layers: -D ${required}=<path> is required")
  endif()
endforeach()

# The table: LIBRARIES in order, with <library>_DIR and <library>_ARROWS.
set(LIBRARIES "")
file(STRINGS "${LAYERS}" table_lines)
foreach(line IN LISTS table_lines)
  if(line MATCHES "^[ \t]*(#|$)")
    continue()
  endif()
  string(REGEX MATCHALL "[^ \t]+" fields "${line}")
  list(POP_FRONT fields library directory)
  if(NOT fields)
    message(FATAL_ERROR "check_layers: ${LAYERS}: \"${line}\" needs a library, a directory and "
                        "its arrows (\"-\" for none)")
  endif()
  if(library IN_LIST LIBRARIES)
    message(FATAL_ERROR "check_layers: ${LAYERS}: ${library} is listed twice")
  endif()
  if(NOT IS_DIRECTORY "${SOURCE_DIR}/${directory}")
    message(FATAL_ERROR "check_layers: ${LAYERS}: ${library}'s directory ${directory} is missing")
  endif()
  list(REMOVE_ITEM fields "-")
  foreach(arrow IN LISTS fields)
    if(NOT arrow STREQUAL "qt" AND NOT arrow IN_LIST LIBRARIES)
      message(FATAL_ERROR "check_layers: ${LAYERS}: ${library} -> ${arrow} must point to a "
                          "library on an earlier line")
    endif()
  endforeach()
  list(APPEND LIBRARIES ${library})
  set(${library}_DIR "${directory}")
  set(${library}_ARROWS ${fields})
endforeach()

# The files of `library` (relative to SOURCE_DIR) into `out`, leaving out those that belong to
# a library in a directory below its own.
function(library_files library out)
  set(top "${${library}_DIR}/")
  file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${top}*.h"
       "${SOURCE_DIR}/${top}*.hpp" "${SOURCE_DIR}/${top}*.cpp" "${SOURCE_DIR}/${top}*.cc")
  foreach(other IN LISTS LIBRARIES)
    set(inner "${${other}_DIR}/")
    string(FIND "${inner}" "${top}" at)
    if(other STREQUAL library OR NOT at EQUAL 0)
      continue()
    endif()
    set(kept "")
    foreach(file IN LISTS files)
      string(FIND "${file}" "${inner}" at)
      if(NOT at EQUAL 0)
        list(APPEND kept "${file}")
      endif()
    endforeach()
    set(files ${kept})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

set(refused "")
set(file_count 0)
foreach(library IN LISTS LIBRARIES)
  library_files(${library} files)
  foreach(file IN LISTS files)
    math(EXPR file_count "${file_count} + 1")
    file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    vlk_source_system("${file}" file_system)
    foreach(include IN LISTS includes)
      string(REGEX MATCH "include[ \t]*([<\"])([^>\"]*)" matched "${include}")
      set(path "${CMAKE_MATCH_2}")
      foreach(system linux win32)
        string(TOLOWER "${path}" lower_path)
        foreach(pattern IN LISTS ${system}_headers)
          if(lower_path MATCHES "${pattern}" AND NOT file_system STREQUAL system)
            list(APPEND refused "${file}: ${path} is ${system}'s own: only a _${system} file or "
                                "one under ${system}/ may include it")
          endif()
        endforeach()
      endforeach()
      if(path MATCHES "(^|/)\\.\\.(/|$)")
        list(APPEND refused "${file}: ${library} may not climb out of its directory: ${path}")
        continue()
      endif()
      if(path MATCHES "^([A-Za-z0-9_]+)/" AND CMAKE_MATCH_1 IN_LIST LIBRARIES)
        set(owner "${CMAKE_MATCH_1}")
      elseif(include MATCHES "<Q[A-Za-z]")
        set(owner qt)
      else()
        continue()  # the standard library, the system, or the library's own relative header
      endif()
      if(NOT owner STREQUAL library AND NOT owner IN_LIST ${library}_ARROWS)
        list(APPEND refused "${file}: ${library} may not include ${owner}'s ${path}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(refused)
  list(LENGTH refused refused_count)
  foreach(entry IN LISTS refused)
    message(NOTICE "${entry}")
  endforeach()
  message(FATAL_ERROR "check_layers: ${refused_count} include(s) against ${LAYERS}")
endif()
list(LENGTH LIBRARIES library_count)
message(NOTICE "check_layers: ${file_count} files of ${library_count} libraries follow the table")
