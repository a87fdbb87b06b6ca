; The Windows installer: quillmar.exe and its console program quillmar.com for the current user without administrator rights
; (%LOCALAPPDATA%\Programs\Quillmar), or for all users (Program Files) when asked with
; /AllUsers or in the first question. A Start-menu entry, an entry in "Apps & features" and
; an uninstaller; the uninstaller leaves every user's backups where they are, and removes
; nothing while Quillmar runs.
; makensis -DVERSION=1.2.3.4 -DEXE=path\quillmar.exe -DCOM=path\quillmar.com
;          -DICON=path\quillmar.ico -DOUTFILE=...
; A 64-bit installer for the 64-bit program (it also runs where only 64-bit Wine is).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmar"

Name "Quillmar"
; The pages name the program, not the tool that made its installer.
BrandingText "Quillmar ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillmar"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Quillmar"
VIAddVersionKey "FileDescription" "Quillmar setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Free to use at your own risk"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\quillmar.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Quillmar will be removed from the folder below.$\r$\nThe backups stay, each user's in %LOCALAPPDATA%\Quillmar\backups: delete that folder yourself once you no longer need them."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var AllUsers

Function .onInit
  StrCpy $AllUsers 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${ElseIfNot} ${Silent}
    ClearErrors
    ${GetOptions} $R0 "/CurrentUser" $R1
    ${If} ${Errors}
      ; For you alone unless asked otherwise: it needs no administrator.
      MessageBox MB_YESNOCANCEL|MB_ICONQUESTION|MB_DEFBUTTON2 \
        "Install Quillmar for all users of this computer?$\n$\nYes needs administrator rights; No installs it for you alone." \
        IDYES everyone IDNO done
      Quit
      everyone:
      StrCpy $AllUsers 1
      done:
    ${EndIf}
  ${EndIf}
  ${If} $AllUsers == 1
    UserInfo::GetAccountType
    Pop $R2
    ${If} $R2 != "Admin"
      ; Asks Windows for the rights, then lets the elevated copy do the work.
      ExecShell "runas" "$EXEPATH" "/AllUsers"
      Quit
    ${EndIf}
    SetShellVarContext all
    StrCpy $INSTDIR "$PROGRAMFILES64\Quillmar"
  ${EndIf}
FunctionEnd

Section "Quillmar"
  SetOutPath "$INSTDIR"
  File "/oname=quillmar.exe" "${EXE}"
  File "/oname=quillmar.com" "${COM}"
  ; Beside the exe it marks the copy as installed: its backups then go to the user's
  ; %LOCALAPPDATA%\Quillmar\backups, never into the program's folder.
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Quillmar.lnk" "$INSTDIR\quillmar.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Quillmar"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Quillmar authors"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillmar.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  ; A copy in Program Files was installed for all users, and only an administrator may
  ; remove it.
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    UserInfo::GetAccountType
    Pop $R2
    ${If} $R2 != "Admin"
      MessageBox MB_ICONSTOP "Quillmar was installed for all users: only an administrator can remove it." /SD IDOK
      Abort
    ${EndIf}
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; First, before anything else goes: Windows keeps a running program's exe, and an uninstall
  ; that went on would leave it with no uninstaller beside it, where it would count as a
  ; portable copy and keep its backups in its own folder. The window's program goes first, the
  ; console program (a command running) second: should that one still run, the uninstaller
  ; stays beside it, and it keeps the installed copy's store.
  StrCpy $R0 "quillmar.exe"
  retry:
  ClearErrors
  Delete "$INSTDIR\$R0"
  ${If} ${Errors}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Quillmar is running. Close it, then choose Retry.$\n$\nCancel leaves Quillmar installed." \
      /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Abort "Quillmar is running: it stays installed."
  ${EndIf}
  ${If} $R0 == "quillmar.exe"
    StrCpy $R0 "quillmar.com"
    Goto retry
  ${EndIf}
  Delete "$SMPROGRAMS\Quillmar.lnk"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: whatever the user put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DetailPrint "The backups stay, each user's in %LOCALAPPDATA%\Quillmar\backups."
SectionEnd
