; The Windows installer: both programs and README-Windows.txt for the current user, with no
; administrator rights, a Start-menu shortcut to the window and an uninstaller.
; The window keeps user.ini in its current directory, so the shortcut starts it in
; %APPDATA%\vlk240, which the user can always write; the uninstaller leaves that folder when
; it holds the saved settings. The install folder goes on the user's Path, and off it again.
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.1.0 -DSTAGE=<folder with the files>
;            -DICON=<vlk240.ico> -DOUTFILE=<vlk240-1.1.0-setup.exe> vlk240.nsi
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

!include "LogicLib.nsh"
!include "WinMessages.nsh"

; The user's own Path (HKCU\Environment, no administrator needed) gets the install folder, so
; that vlk240-read runs from any new command prompt.
!define ENVIRONMENT_KEY "Environment"
; The longest Path read or written whole: NSIS's strings hold NSIS_MAX_STRLEN characters with the
; terminating one, and a value of exactly that many without a terminator would lose its last.
!define /math PATH_LIMIT ${NSIS_MAX_STRLEN} - 2
!define PATH_UNCHANGED "Path не изменён: он длиннее, чем установщик может прочитать и записать; добавьте в него $INSTDIR вручную"

; $0 a Path; $1 the same Path without its entries that are $INSTDIR (letter case and a trailing
; backslash aside), the other entries as they were, empty ones too; $2 "1" when there was one.
!macro PATH_WITHOUT_INSTDIR un
Function ${un}PathWithoutInstDir
  StrCpy $1 ""
  StrCpy $2 ""
  StrCpy $5 "" ; the separator before the next entry kept
  StrCpy $3 "$0;"
  ${Do}
    StrCpy $4 0
    ${Do}
      StrCpy $6 $3 1 $4
      ${IfThen} $6 == ";" ${|} ${ExitDo} ${|}
      IntOp $4 $4 + 1
    ${Loop}
    StrCpy $6 $3 $4
    IntOp $4 $4 + 1
    StrCpy $3 $3 "" $4
    ${If} $6 == "$INSTDIR"
    ${OrIf} $6 == "$INSTDIR\"
      StrCpy $2 "1"
    ${Else}
      StrCpy $1 "$1$5$6"
      StrCpy $5 ";"
    ${EndIf}
  ${LoopUntil} $3 == ""
FunctionEnd
!macroend
!insertmacro PATH_WITHOUT_INSTDIR ""
!insertmacro PATH_WITHOUT_INSTDIR "un."

; $0 the user's Path, "" when there is none; the error flag set when it exists but cannot be
; read whole (longer than NSIS's strings, or not a string), and so must not be rewritten.
!macro READ_PATH un
Function ${un}ReadPath
  ClearErrors
  ReadRegStr $0 HKCU "${ENVIRONMENT_KEY}" "Path"
  ${IfNot} ${Errors}
    StrLen $1 $0
    ${IfThen} $1 <= ${PATH_LIMIT} ${|} Return ${|}
  ${EndIf}
  ; Unreadable, or simply missing: only a missing one may be written.
  StrCpy $0 ""
  StrCpy $1 0
  ${Do}
    ClearErrors
    EnumRegValue $2 HKCU "${ENVIRONMENT_KEY}" $1
    ${If} ${Errors}
    ${OrIf} $2 == ""
      ClearErrors
      Return
    ${EndIf}
    ${If} $2 == "Path"
      SetErrors
      Return
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
FunctionEnd
!macroend
!insertmacro READ_PATH ""
!insertmacro READ_PATH "un."

; Tells running programs (Explorer first) that the environment changed, for new command prompts.
!macro ENVIRONMENT_CHANGED
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:${ENVIRONMENT_KEY}" /TIMEOUT=5000
!macroend

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

  Call ReadPath
  ${If} ${Errors}
    DetailPrint "${PATH_UNCHANGED}"
  ${Else}
    Call PathWithoutInstDir
    StrLen $3 "$0;$INSTDIR"
    ${If} $2 == "1"
      DetailPrint "$INSTDIR уже есть в Path"
    ${ElseIf} $3 > ${PATH_LIMIT}
      DetailPrint "${PATH_UNCHANGED}"
    ${Else}
      ${If} $0 == ""
        StrCpy $0 "$INSTDIR"
      ${Else}
        StrCpy $1 $0 "" -1
        ${If} $1 == ";"
          StrCpy $0 "$0$INSTDIR"
        ${Else}
          StrCpy $0 "$0;$INSTDIR"
        ${EndIf}
      ${EndIf}
      ; Expandable, as Windows keeps it: entries such as %USERPROFILE%\bin stay so.
      WriteRegExpandStr HKCU "${ENVIRONMENT_KEY}" "Path" $0
      !insertmacro ENVIRONMENT_CHANGED
    ${EndIf}
  ${EndIf}

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
  ; Off the Path first: the folder is gone only after it.
  Call un.ReadPath
  ${IfNot} ${Errors}
    Call un.PathWithoutInstDir
    ${If} $2 == "1"
      ${If} $1 == ""
        DeleteRegValue HKCU "${ENVIRONMENT_KEY}" "Path"
      ${Else}
        WriteRegExpandStr HKCU "${ENVIRONMENT_KEY}" "Path" $1
      ${EndIf}
      !insertmacro ENVIRONMENT_CHANGED
    ${EndIf}
  ${EndIf}

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\vlk240.exe"
  Delete "$INSTDIR\vlk240-read.exe"
  Delete "$INSTDIR\README-Windows.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; The window started from its own folder keeps its port there; it goes where the shortcut's
  ; window keeps it, unless that one has its own.
  ${If} ${FileExists} "$INSTDIR\user.ini"
    CreateDirectory "$APPDATA\vlk240"
    ${IfNot} ${FileExists} "$APPDATA\vlk240\user.ini"
      Rename "$INSTDIR\user.ini" "$APPDATA\vlk240\user.ini"
    ${Else}
      Delete "$INSTDIR\user.ini"
    ${EndIf}
  ${EndIf}
  RMDir "$INSTDIR"
  ; Only when empty: the operator's saved port (user.ini) stays.
  RMDir "$APPDATA\vlk240"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
