# Installation layout and the Debian packages.
#   cmake --install <build> --prefix <dir>   programs, desktop entry, icon, manual pages
#   cpack -G DEB --config <build>/CPackConfig.cmake
#     vlk240-read_<version>_<arch>.deb   what a plant runs without a display: the reader, the
#                                        simulator and the reader's systemd service; no Qt
#     vlk240_<version>_<arch>.deb        the operator window (with the window only)
# Each file goes to one of two components, read and window, one package each.
include(GNUInstallDirs)

set(VLK_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR}/../packaging)

install(TARGETS vlk240-read vlk240-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT read)
set(vlk_manual_pages read:vlk240-read.1 read:vlk240-sim.1)

# The desktop entry and icon start the window, so they come only with it.
if(TARGET vlk240)
  install(TARGETS vlk240 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
  list(APPEND vlk_manual_pages window:vlk240.1)
  install(FILES ${VLK_PACKAGING_DIR}/vlk240.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT window)
  install(FILES ${VLK_PACKAGING_DIR}/vlk240.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT window)
endif()

# The unattended reader: a systemd template unit per line, its system user (created by the
# postinst through systemd-sysusers) and an example of a line's settings, in the reader
# package's own documentation folder.
install(FILES ${VLK_PACKAGING_DIR}/systemd/vlk240-read@.service DESTINATION lib/systemd/system
        COMPONENT read)
install(FILES ${VLK_PACKAGING_DIR}/systemd/vlk240.sysusers DESTINATION lib/sysusers.d
        RENAME vlk240.conf COMPONENT read)
install(FILES ${VLK_PACKAGING_DIR}/systemd/example.conf
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vlk240-read COMPONENT read)

# Manual pages are installed compressed, as Debian expects; -n keeps the archive free of
# timestamps so that two builds of one source give the same package.
find_program(VLK_GZIP gzip REQUIRED)
set(vlk_compressed_pages "")
foreach(entry IN LISTS vlk_manual_pages)
  string(REPLACE ":" ";" entry "${entry}")
  list(GET entry 0 component)
  list(GET entry 1 page)
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
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endforeach()
add_custom_target(vlk_manual_pages ALL DEPENDS ${vlk_compressed_pages})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vlk240)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "vlk240 developers")
# Whoever publishes the package names themselves here (-DVLK_PACKAGE_MAINTAINER=...).
set(VLK_PACKAGE_MAINTAINER "vlk240 developers <vlk240@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${VLK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL read)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The library dependencies are derived from the programs by dpkg-shlibdeps (dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_READ_PACKAGE_NAME vlk240-read)
set(CPACK_DEBIAN_READ_PACKAGE_CONTROL_EXTRA ${VLK_PACKAGING_DIR}/debian/postinst)
# Up to 1.0.0 one package, vlk240, held the reader too: its files move here on an upgrade.
set(CPACK_DEBIAN_READ_PACKAGE_BREAKS "vlk240 (<< 1.1.0)")
set(CPACK_DEBIAN_READ_PACKAGE_REPLACES "vlk240 (<< 1.1.0)")
# CPack puts the summary above this text and indents it for the control file.
set(CPACK_COMPONENT_READ_DESCRIPTION
    "reader for the VLK240T level gauge over RS485 (Modbus RTU)
Reads VLK240T level-gauge and alarm controllers over an RS485 line:
levels and volumes of two channels, sensor faults, relays, the alarm
delay and the self-calibration level.

Contains the command-line reader vlk240-read, which can publish its
readings to an MQTT broker and runs unattended as the systemd service
vlk240-read@LINE, and the instrument simulator vlk240-sim. Needs no
display; the operator window is the package vlk240.")

if(TARGET vlk240)
  list(APPEND CPACK_COMPONENTS_ALL window)
  set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME vlk240)
  # The window and the reader of one build go together.
  set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "vlk240-read (= ${PROJECT_VERSION})")
  set(CPACK_COMPONENT_WINDOW_DESCRIPTION
      "operator window for the VLK240T level gauge over RS485 (Modbus RTU)
Reads one VLK240T level-gauge and alarm controller over an RS485 line
and shows its levels, volumes, sensor faults, relays, the alarm delay
and the self-calibration level in Russian, with a trend of the readings.

Contains the operator window vlk240, in the desktop menu as Опрос
ВЛК240Т; the command-line reader is the package vlk240-read.")
endif()

include(CPack)
