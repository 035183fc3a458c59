# The Windows installer, vlk240-<version>-setup.exe, made by makensis from packaging/nsis with
# the stripped programs and README-Windows.txt; built with the programs.
find_program(VLK_MAKENSIS makensis REQUIRED)
set(vlk_stage ${CMAKE_BINARY_DIR}/installer-stage)
set(VLK_INSTALLER ${CMAKE_BINARY_DIR}/vlk240-${PROJECT_VERSION}-setup.exe)
set(vlk_nsi ${PROJECT_SOURCE_DIR}/packaging/nsis/vlk240.nsi)
set(vlk_readme ${PROJECT_SOURCE_DIR}/packaging/windows/README-Windows.txt)
# The window's icon, rendered as vlk240.exe is built (app/win32view).
set(vlk_icon ${CMAKE_BINARY_DIR}/app/win32view/vlk240.ico)
add_custom_command(OUTPUT ${VLK_INSTALLER}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${vlk_stage}
  COMMAND ${CMAKE_STRIP} -o ${vlk_stage}/vlk240.exe $<TARGET_FILE:vlk240>
  COMMAND ${CMAKE_STRIP} -o ${vlk_stage}/vlk240-read.exe $<TARGET_FILE:vlk240-read>
  COMMAND ${CMAKE_COMMAND} -E copy ${vlk_readme} ${vlk_stage}/README-Windows.txt
  COMMAND ${VLK_MAKENSIS} -V2 -INPUTCHARSET UTF8 -DVERSION=${PROJECT_VERSION} -DSTAGE=${vlk_stage}
          -DICON=${vlk_icon} -DOUTFILE=${VLK_INSTALLER} ${vlk_nsi}
  DEPENDS vlk240 vlk240-read ${vlk_nsi} ${vlk_readme}
  COMMENT "Making vlk240-${PROJECT_VERSION}-setup.exe")
add_custom_target(installer ALL DEPENDS ${VLK_INSTALLER})
