# Plants one include at a time in a scratch copy of the libraries and runs the layers check on
# it: an include against the table or the per-system rule must be refused and named, an
# allowed one accepted.
#   cmake -D SOURCE_DIR=<tree> -D SCRATCH_DIR=<dir> -P planted_include_test.cmake
cmake_minimum_required(VERSION 3.25)

set(check "${SOURCE_DIR}/cmake/check_layers.cmake")
set(table "${SOURCE_DIR}/docs/layers.txt")

# <file to plant>|<its include line>|<what the check must say about it, empty when accepted>
set(cases
  "platform/planted.cpp|#include \"comport/com_port.h\"|platform may not include comport's"
  "protocol/src/planted.cpp|#include \"exchange/EMUL_Functions.h\"|protocol may not include exchange's"
  "runtime/include/runtime/planted.h|#include \"platform/comm_api.h\"|runtime may not include platform's"
  "comport/src/planted.cpp|#include \"exchange/UART_THREAT.h\"|comport may not include exchange's"
  "comport/storage/src/planted.cpp|#include \"comport/com_port.h\"|storage may not include comport's"
  "app/readings/src/planted.cpp|#include \"exchange/EMUL_Functions.h\"|readings may not include exchange's"
  "app/readings/src/planted.cpp|  #  include <QString>|readings may not include qt's"
  "exchange/src/planted.cpp|#include \"../../comport/src/platform_error.h\"|exchange may not climb out"
  "exchange/src/planted.cpp|#include \"comport/com_port.h\"|"
  "app/form/src/planted.cpp|#include <QString>|form may not include qt's"
  "app/form/include/form/planted.h|#include \"window/form1.h\"|form may not include window's"
  "app/form/src/planted.cpp|#include \"exchange/poll.h\"|"
  "app/window/planted.cpp|#include \"form/form_view.h\"|"
  "app/window/planted.cpp|#include <QWidget>|"
  "protocol/src/planted.cpp|#include <vector>|"
  "platform/posix/planted.cpp|#include <sys/eventfd.h>|sys/eventfd.h is linux's own"
  "trace/src/planted_posix.cpp|#include <asm/termbits.h>|asm/termbits.h is linux's own"
  "exchange/src/planted.cpp|#include <linux/serial.h>|linux/serial.h is linux's own"
  "platform/planted.cpp|#include \"linux/comm_device.h\"|linux/comm_device.h is linux's own"
  "platform/linux/planted.cpp|#include <asm/termbits.h>|"
  "runtime/src/planted_linux.cpp|#include <sys/eventfd.h>|"
  "runtime/src/planted.cpp|#include <Windows.h>|Windows.h is win32's own"
  "tools/reader/src/planted_posix.cpp|#include <winreg.h>|winreg.h is win32's own"
  "runtime/src/planted_win32.cpp|#include <windows.h>|"
  "app/win32view/src/planted.cpp|#include <commctrl.h>|"
  "platform/win32/planted.cpp|#include <sys/epoll.h>|sys/epoll.h is linux's own"
)

# Runs the check on the scratch tree with `layers`; sets rc and output in the caller, the
# output's blanks and line breaks run together, since CMake wraps an error's text.
function(run_check layers)
  execute_process(COMMAND "${CMAKE_COMMAND}" -D "SOURCE_DIR=${SCRATCH_DIR}" -D "LAYERS=${layers}"
                          -P "${check}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(REGEX REPLACE "[ \t\r\n]+" " " out "${out}")
  set(rc "${result}" PARENT_SCOPE)
  set(output "${out}" PARENT_SCOPE)
endfunction()

# The scratch copy: every library directory of the table, sources and headers only.
file(REMOVE_RECURSE "${SCRATCH_DIR}")
file(STRINGS "${table}" library_lines REGEX "^[a-z]")
foreach(line IN LISTS library_lines)
  string(REGEX MATCHALL "[^ \t]+" fields "${line}")
  list(GET fields 1 directory)
  file(COPY "${SOURCE_DIR}/${directory}/" DESTINATION "${SCRATCH_DIR}/${directory}"
       FILES_MATCHING PATTERN "*.h" PATTERN "*.cpp")
endforeach()

set(failures "")
run_check("${table}")
if(NOT rc EQUAL 0)
  list(APPEND failures "the unplanted copy is refused:\n${output}")
endif()

foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 planted)
  list(GET fields 1 include)
  list(LENGTH fields field_count)
  set(verdict "")
  if(field_count GREATER 2)
    list(GET fields 2 verdict)
  endif()
  file(WRITE "${SCRATCH_DIR}/${planted}" "${include}\n")
  run_check("${table}")
  file(REMOVE "${SCRATCH_DIR}/${planted}")
  if(verdict STREQUAL "" AND NOT rc EQUAL 0)
    list(APPEND failures "${planted} with ${include} is refused:\n${output}")
  elseif(NOT verdict STREQUAL "")
    string(FIND "${output}" "${planted}: ${verdict}" at)
    if(rc EQUAL 0 OR at EQUAL -1)
      list(APPEND failures "${planted} with ${include} is not refused as \"${verdict}\":\n${output}")
    endif()
  endif()
endforeach()

# A table whose arrow points down the list is refused before any file is read.
file(READ "${table}" table_text)
string(REGEX REPLACE "\nprotocol[^\n]*" "\nprotocol    protocol          exchange" downward
       "${table_text}")
file(WRITE "${SCRATCH_DIR}/downward_layers.txt" "${downward}")
run_check("${SCRATCH_DIR}/downward_layers.txt")
string(FIND "${output}" "protocol -> exchange must point to a library on an earlier line" at)
if(rc EQUAL 0 OR at EQUAL -1)
  list(APPEND failures "a downward arrow in the table is not refused:\n${output}")
endif()

if(failures)
  string(JOIN "\n" report ${failures})
  message(FATAL_ERROR "${report}")
endif()
list(LENGTH cases case_count)
message(NOTICE "planted includes: ${case_count} cases and a downward arrow judged as expected")
