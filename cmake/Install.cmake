# Installation layout and the Debian package.
#   cmake --install <build> --prefix <dir>   programs, desktop entry, icon, manual pages
#   cpack -G DEB --config <build>/CPackConfig.cmake   vlk240_<version>_<arch>.deb
include(GNUInstallDirs)

set(VLK_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR}/../packaging)

set(vlk_programs vlk240-read vlk240-sim)
set(vlk_manual_pages vlk240-read.1 vlk240-sim.1)
if(TARGET vlk240)
  list(PREPEND vlk_programs vlk240)
  list(PREPEND vlk_manual_pages vlk240.1)
endif()

install(TARGETS ${vlk_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The desktop entry and icon start the window, so they come only with it.
if(TARGET vlk240)
  install(FILES ${VLK_PACKAGING_DIR}/vlk240.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VLK_PACKAGING_DIR}/vlk240.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# The unattended reader: a systemd template unit per line, its system user (created by the
# postinst through systemd-sysusers) and an example of a line's settings.
install(FILES ${VLK_PACKAGING_DIR}/systemd/vlk240-read@.service DESTINATION lib/systemd/system)
install(FILES ${VLK_PACKAGING_DIR}/systemd/vlk240.sysusers DESTINATION lib/sysusers.d
        RENAME vlk240.conf)
install(FILES ${VLK_PACKAGING_DIR}/systemd/example.conf DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Manual pages are installed compressed, as Debian expects; -n keeps the archive free of
# timestamps so that two builds of one source give the same package.
find_program(VLK_GZIP gzip REQUIRED)
set(vlk_compressed_pages "")
foreach(page IN LISTS vlk_manual_pages)
  set(source ${VLK_PACKAGING_DIR}/man/${page})
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND ${VLK_GZIP} -9 -n -c ${source} > ${compressed}
    DEPENDS ${source}
    COMMENT "Compressing manual page ${page}"
    VERBATIM)
  list(APPEND vlk_compressed_pages ${compressed})
endforeach()
add_custom_target(vlk_manual_pages ALL DEPENDS ${vlk_compressed_pages})
install(FILES ${vlk_compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vlk240)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "vlk240 developers")
# Whoever publishes the package names themselves here (-DVLK_PACKAGE_MAINTAINER=...).
set(VLK_PACKAGE_MAINTAINER "vlk240 developers <vlk240@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${VLK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reader for the VLK240T level gauge over RS485 (Modbus RTU)")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The library dependencies are derived from the programs by dpkg-shlibdeps (dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${VLK_PACKAGING_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary above this text and indents it for the control file.
set(CPACK_PACKAGE_DESCRIPTION
    "Reads one VLK240T level-gauge and alarm controller over an RS485 line:
levels and volumes of two channels, sensor faults, relays, the alarm
delay and the self-calibration level, in Russian.

Contains the operator window vlk240, the command-line reader vlk240-read
(which can publish its readings to an MQTT broker, and runs unattended as
the systemd service vlk240-read@LINE) and the instrument simulator
vlk240-sim.")

include(CPack)
