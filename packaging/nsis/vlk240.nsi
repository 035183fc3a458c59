; The Windows installer: both programs and README-Windows.txt for the current user, with no
; administrator rights, a Start-menu shortcut to the window and an uninstaller.
; The window keeps user.ini in its current directory, so the shortcut starts it in
; %APPDATA%\vlk240, which the user can always write; the uninstaller leaves that folder when
; it holds the saved settings.
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DSTAGE=<folder with the files>
;            -DICON=<vlk240.ico> -DOUTFILE=<vlk240-1.0.0-setup.exe> vlk240.nsi
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Опрос ВЛК240Т"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vlk240"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\vlk240"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "vlk240"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "vlk240 developers"

LoadLanguageFile "${NSISDIR}\Contrib\Language files\Russian.nlf"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetOutPath "$INSTDIR"
  File "${STAGE}\vlk240.exe"
  File "${STAGE}\vlk240-read.exe"
  File "${STAGE}\README-Windows.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut's working folder is the output path at the time it is made.
  CreateDirectory "$APPDATA\vlk240"
  SetOutPath "$APPDATA\vlk240"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vlk240.exe" "" "$INSTDIR\vlk240.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vlk240.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\vlk240.exe"
  Delete "$INSTDIR\vlk240-read.exe"
  Delete "$INSTDIR\README-Windows.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; Only when empty: the operator's saved port (user.ini) stays.
  RMDir "$APPDATA\vlk240"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
