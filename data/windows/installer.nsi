; The Windows installer. makensis -DSRC=<program folder> -DOUT=<setup.exe> -DVERSION=<x.y> [-DICON=<file.ico>]
; Installs for the current user by default, without administrator rights, into the user's own
; programs folder, with a Start-menu entry and an uninstaller in the user's list of programs. With
; administrator rights it can install for all users instead (Program Files, the machine's list of
; programs, the Start menu of every user): /AllUsers on the command line (/CurrentUser for the
; default), or the choice page an administrator sees. The uninstaller removes what its mode
; installed (the mode is on its command line in the list of programs and the Start menu; started
; by hand, its own folder tells). Uninstalling keeps the player's settings and high scores (the
; registry key of the game, always the player's own) unless asked to remove them: a question in
; the uninstaller, or /RemoveSettings on its command line.
; A 64-bit installer for the 64-bit program (it needs no 32-bit layer under Wine either).
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!define NAME "Kellup Tusko Lumo Special Edition"
!define SHORT "KTusko SE 5.0"
!define SETTINGS "Software\Zandrel\KTuskoSE50"
!define UNINST "Software\Microsoft\Windows\CurrentVersion\Uninstall\KTuskoSE50"

; The current user's install unless an administrator asks for all users.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_MUI
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${SHORT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINST}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh

Name "${NAME}"
OutFile "${OUT}"
!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\ktusko.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Var OwnFolder
Function un.onInit
  ; The uninstaller removes the install in whose folder it is, whatever a list of programs says.
  StrCpy $OwnFolder $INSTDIR
  !insertmacro MULTIUSER_UNINIT
  ; Started without its mode (by hand from its folder): the mode of the install whose folder it is.
  ${GetParameters} $0
  StrCpy $3 ""
  ClearErrors
  ${GetOptions} $0 "/AllUsers" $1
  ${IfNot} ${Errors}
    StrCpy $3 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/CurrentUser" $1
  ${IfNot} ${Errors}
    StrCpy $3 1
  ${EndIf}
  ReadRegStr $2 HKLM "${UNINST}" "InstallLocation"
  ${If} $3 == ""
  ${AndIf} $2 != ""
  ${AndIf} $2 == $OwnFolder
  ${AndIf} $MultiUser.Privileges == "Admin"
    Call un.MultiUser.InstallMode.AllUsers
  ${EndIf}
  StrCpy $INSTDIR $OwnFolder
FunctionEnd

Section "Install"
  ; SHCTX is the key of the mode's list of programs (HKLM for all users, HKCU otherwise).
  StrCpy $3 "/$MultiUser.InstallMode"
  SetOutPath "$INSTDIR"
  File "${SRC}\ktusko.exe"
  File "${SRC}\Config.ini"
  File "${SRC}\Readme.txt"
  File "${SRC}\Whatsnew.txt"
  File /r "${SRC}\Resources"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${SHORT}"
  CreateShortCut "$SMPROGRAMS\${SHORT}\${NAME}.lnk" "$INSTDIR\ktusko.exe" "" "$INSTDIR\ktusko.exe" 0
  CreateShortCut "$SMPROGRAMS\${SHORT}\Uninstall ${SHORT}.lnk" "$INSTDIR\Uninstall.exe" "$3"

  WriteRegStr SHCTX "${UNINST}" "DisplayName" "${NAME}"
  WriteRegStr SHCTX "${UNINST}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST}" "Publisher" "Zandrel"
  WriteRegStr SHCTX "${UNINST}" "DisplayIcon" "$INSTDIR\ktusko.exe,0"
  WriteRegStr SHCTX "${UNINST}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST}" "UninstallString" '"$INSTDIR\Uninstall.exe" $3'
  WriteRegStr SHCTX "${UNINST}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" $3 /S'
  WriteRegDWORD SHCTX "${UNINST}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINST}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
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
  DeleteRegKey SHCTX "${UNINST}"

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
