; The Windows installer. makensis -DSRC=<program folder> -DOUT=<setup.exe> -DVERSION=<x.y> [-DICON=<file.ico>]
; Installs for the current user without administrator rights, into the user's own programs folder,
; with a Start-menu entry and an uninstaller in the system's list of programs. Uninstalling keeps
; the player's settings and high scores (the registry key of the game) unless asked to remove them:
; a question in the uninstaller, or /RemoveSettings on its command line.
; A 64-bit installer for the 64-bit program (it needs no 32-bit layer under Wine either).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh

!define NAME "Kellup Tusko Lumo Special Edition"
!define SHORT "KTusko SE 5.0"
!define SETTINGS "Software\Zandrel\KTuskoSE50"
!define UNINST "Software\Microsoft\Windows\CurrentVersion\Uninstall\KTuskoSE50"

Name "${NAME}"
OutFile "${OUT}"
InstallDir "$LOCALAPPDATA\Programs\${SHORT}"
InstallDirRegKey HKCU "${UNINST}" "InstallLocation"
!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\ktusko.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Install"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${SRC}\ktusko.exe"
  File "${SRC}\Config.ini"
  File "${SRC}\Readme.txt"
  File "${SRC}\Whatsnew.txt"
  File /r "${SRC}\Resources"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${SHORT}"
  CreateShortCut "$SMPROGRAMS\${SHORT}\${NAME}.lnk" "$INSTDIR\ktusko.exe" "" "$INSTDIR\ktusko.exe" 0
  CreateShortCut "$SMPROGRAMS\${SHORT}\Uninstall ${SHORT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${UNINST}" "DisplayName" "${NAME}"
  WriteRegStr HKCU "${UNINST}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST}" "Publisher" "Zandrel"
  WriteRegStr HKCU "${UNINST}" "DisplayIcon" "$INSTDIR\ktusko.exe,0"
  WriteRegStr HKCU "${UNINST}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINST}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; Only what the installer put there; anything else in the folder stays.
  Delete "$INSTDIR\ktusko.exe"
  Delete "$INSTDIR\Config.ini"
  Delete "$INSTDIR\Readme.txt"
  Delete "$INSTDIR\Whatsnew.txt"
  RMDir /r "$INSTDIR\Resources"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${SHORT}\${NAME}.lnk"
  Delete "$SMPROGRAMS\${SHORT}\Uninstall ${SHORT}.lnk"
  RMDir "$SMPROGRAMS\${SHORT}"
  DeleteRegKey HKCU "${UNINST}"

  ; The settings and high scores stay unless the player asks.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/RemoveSettings" $1
  ${IfNot} ${Errors}
    DeleteRegKey HKCU "${SETTINGS}"
  ${ElseIf} ${Cmd} `MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION "Also remove your key settings and high scores?" /SD IDNO IDYES`
    DeleteRegKey HKCU "${SETTINGS}"
  ${EndIf}
SectionEnd
