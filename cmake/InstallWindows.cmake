# The Windows package: a ZIP with the programs and README-Windows.txt.
#   cpack -G ZIP --config <build>/CPackConfig.cmake   vlk240-<version>-windows-x64.zip
set(vlk_windows_programs vlk240-read)
if(TARGET vlk240)
  list(PREPEND vlk_windows_programs vlk240)
endif()
install(TARGETS ${vlk_windows_programs} RUNTIME DESTINATION .)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../packaging/windows/README-Windows.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vlk240)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "vlk240 developers")
set(CPACK_PACKAGE_FILE_NAME vlk240-${PROJECT_VERSION}-windows-x64)
# The files at the top of the archive's one folder, vlk240-<version>-windows-x64\.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
