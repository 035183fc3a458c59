# Tests run as root here and in CI: the port lock files they make go to a folder of the build's
# own, not to the machine's /run/lock.
set(VLK_TEST_LOCK_DIR ${CMAKE_BINARY_DIR}/test-locks)
file(MAKE_DIRECTORY ${VLK_TEST_LOCK_DIR})

# vlk_add_test(<name> LABEL core|gui|stress SOURCES <files...> LIBS <targets...>)
# One GoogleTest program, its cases registered with CTest under the label (cross-built: the
# program as one entry, run through CMAKE_CROSSCOMPILING_EMULATOR).
function(vlk_add_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL)
    set(T_LABEL core)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  vlk_warnings(${name})
  if(CMAKE_CROSSCOMPILING)
    # Under an emulator (Wine) the program is one CTest entry: finding its cases would cost
    # another start of the emulator, and a start for each case more still.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS ${T_LABEL} TIMEOUT 300)
    if(VLK_TEST_FIXTURE)
      set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${VLK_TEST_FIXTURE})
    endif()
    # Its cases, counted where CTest sees one entry: GoogleTest's report, <name>.xml.
    if(VLK_TEST_RESULTS_DIR)
      set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "GTEST_OUTPUT=xml:${VLK_TEST_RESULTS_DIR}/")
    endif()
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS ${T_LABEL} ENVIRONMENT VLK240_LOCK_DIR=${VLK_TEST_LOCK_DIR})
  endif()
endfunction()
