# Which system a source file belongs to, and the one helper that adds a target's per-system
# files for the system the build is for.
#
# The rule, for the whole tree: a file is one system's own when its name ends in the system's
# suffix before the extension (trace_file_win32.cpp), or when a directory on its path is named
# for the system, alone or as the start of its name (platform/linux/, app/win32view/). Every
# other file builds on every system.
#   _linux  needs Linux (eventfd, termios2, <linux/...>, gettid, /proc, /sys, its device names)
#   _posix  plain POSIX: would build on any Unix, macOS included
#   _win32  Windows
#   _macos  macOS (none yet)
# cmake/check_layers.cmake holds the files to it: only a Linux file may include Linux's own
# headers, only a Windows file Windows'.

set(VLK_SYSTEM_NAMES linux posix win32 macos)

# Sets `out` to the system `file` belongs to, or to "" for a file of every system.
function(vlk_source_system file out)
  string(JOIN "|" names ${VLK_SYSTEM_NAMES})
  set(by_directory "")
  if(file MATCHES "(^|/)(${names})[a-z0-9]*/")
    set(by_directory "${CMAKE_MATCH_2}")
  endif()
  set(by_name "")
  get_filename_component(stem "${file}" NAME_WE)
  if(stem MATCHES "_(${names})$")
    set(by_name "${CMAKE_MATCH_1}")
  endif()
  if(by_directory AND by_name AND NOT by_directory STREQUAL by_name)
    message(FATAL_ERROR "${file}: its directory says ${by_directory}, its name ${by_name}")
  endif()
  if(by_directory)
    set(${out} "${by_directory}" PARENT_SCOPE)
  else()
    set(${out} "${by_name}" PARENT_SCOPE)
  endif()
endfunction()

# vlk_system_sources(<target> <file>...): adds to the target's private sources those of the
# files that belong to a system the build is for: on Linux the _linux and _posix files, on
# macOS the _posix and _macos ones, on Windows the _win32 ones. A file of every system is no
# business of this helper and is refused, so that each list says what it holds.
function(vlk_system_sources target)
  if(WIN32)
    set(systems win32)
  elseif(APPLE)
    set(systems posix macos)
  elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(systems linux posix)
  else()
    set(systems posix)
  endif()
  foreach(file IN LISTS ARGN)
    vlk_source_system("${file}" system)
    if(NOT system)
      message(FATAL_ERROR "vlk_system_sources(${target}): ${file} belongs to no one system; "
                          "list it with the target's common sources")
    endif()
    if(system IN_LIST systems)
      target_sources(${target} PRIVATE "${file}")
    endif()
  endforeach()
endfunction()
