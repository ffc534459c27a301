; The product installer: installs the programs for every user of the machine
; below "Bin\" of a folder only administrators may write (Program Files by
; default; the folder is remembered for every later run, the updater's silent
; one included), registers an uninstaller and a start-menu shortcut for all
; users, and through the stagehand plug-in prepares the desktop user's data
; folder and starts the launcher as the desktop user, never elevated. A
; per-user installation of earlier versions is moved: its files, entries and
; shortcut go, its data folder stays.
;
;   makensis -DTARGET=amd64-unicode|x86-unicode -DBIN_DIR=<programs and plug-in>
;            -DCLIENT_FILES=<nsh listing the client payload> -DVERSION=x.y.z -DVERSION_QUAD=x.y.z.w
;            -DICON=<the product's .ico> -DIMAGES_DIR=<wizard.bmp and header.bmp, draw_installer_images.py>
;            -DOUT_FILE=<setup.exe> tavaro.nsi
;
; Options besides NSIS's own (/S, /D=): the plug-in's ("--delay=", "--runarg=",
; "--install-only", "--clear-first"), "--wait=SECONDS" (how long programs of
; the installation get to end, 30 by default) and, for the uninstaller,
; "--remove-data" (the data folder goes too). Every run appends what it did
; to %TEMP%\tavaro-setup.log.
;
; Exit codes: 0 done; 1 cancelled by the user; 2 stopped by an error of NSIS;
; 3 a program or file of the installation stayed in use, nothing was replaced.
Unicode true
Target ${TARGET}
!addplugindir /${TARGET} "${BIN_DIR}"
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "StrFunc.nsh"
${StrStr}

!define PRODUCT "Tavaro"
!define COMPANY "Tavaro"
!define COPYRIGHT "Copyright (C) 2026 ${COMPANY}"
!define SETTINGS_KEY "Software\Tavaro"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavaro"
!define SHORTCUT_FOLDER "$SMPROGRAMS\Tavaro"
; The network tool's undo journal (HKLM, the 64-bit view): an entry there is
; a change that a killed or crashed tool did not undo.
!define JOURNAL_KEY "SOFTWARE\Tavaro\Linkwarden"
!define EXIT_IN_USE 3
; InstallClientFiles and RemoveClientFiles: the client library's payload, outside this system.
!include "${CLIENT_FILES}"

; The version shows in the window's title and on the pages; the product's
; own icon and pictures, and its name and version where NSIS names itself.
Name "${PRODUCT} ${VERSION}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
; The network tool runs elevated from the folder: only administrators may
; write there. A 64-bit installer's registry view is the 64-bit one, a 32-bit
; one's the 32-bit one, so the entries lie in the view of the build.
!if "${TARGET}" == "amd64-unicode"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; Every later run (the updater's silent one too) installs where the user chose.
InstallDirRegKey HKLM "${SETTINGS_KEY}" "InstallDir"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
; A file that cannot be written stops the installation instead of being skipped.
AllowSkipFiles off

Var DataFolder
Var MajorVersion
Var MinorVersion
Var WaitSeconds
Var LogFile
Var IsUpdate
Var PerUserAccount
Var PerUserPrograms

!define MUI_ABORTWARNING
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${IMAGES_DIR}\wizard.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${IMAGES_DIR}\wizard.bmp"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_RIGHT
!define MUI_HEADERIMAGE_BITMAP "${IMAGES_DIR}\header.bmp"
!define MUI_HEADERIMAGE_UNBITMAP "${IMAGES_DIR}\header.bmp"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProduct
!define MUI_FINISHPAGE_RUN_TEXT "$(RunProduct)"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_UNPAGE_FINISH
; The first language the system's user interface language matches is shown.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "TradChinese"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "OriginalFilename" "tavaro-setup.exe"

LangString RunProduct ${LANG_ENGLISH} "&Run ${PRODUCT}"
LangString RunProduct ${LANG_SIMPCHINESE} "运行 ${PRODUCT}(&R)"
LangString RunProduct ${LANG_TRADCHINESE} "執行 ${PRODUCT}(&R)"
LangString InUse ${LANG_ENGLISH} "${PRODUCT} is still running: $0 cannot be replaced. Close ${PRODUCT} and run the installer again."
LangString InUse ${LANG_SIMPCHINESE} "${PRODUCT} 仍在运行，无法替换 $0。请关闭 ${PRODUCT} 后重新运行安装程序。"
LangString InUse ${LANG_TRADCHINESE} "${PRODUCT} 仍在執行，無法替換 $0。請關閉 ${PRODUCT} 後重新執行安裝程式。"

!macro Log text
  FileOpen $LogFile "$TEMP\tavaro-setup.log" a
  FileSeek $LogFile 0 END
  FileWrite $LogFile "${text}$\r$\n"
  FileClose $LogFile
!macroend

; The programs and files an installation in FOLDER has, and the logs its
; programs write below it; the folder itself when nothing else is left.
!macro RemoveProductFiles FOLDER
  Delete "${FOLDER}\Bin\tavaro.exe"
  Delete "${FOLDER}\Bin\update.exe"
  Delete "${FOLDER}\Bin\linkwarden.exe"
  Delete "${FOLDER}\Bin\kickoff.exe"
  Delete "${FOLDER}\Bin\sentinel.exe"
  !insertmacro RemoveClientFiles "${FOLDER}"
  ; Crash dumps the launcher may have left.
  Delete "${FOLDER}\Bin\dump.dmp"
  RMDir "${FOLDER}\Bin"
  ; The programs' own logs below the folder they ran in (the launcher starts in the installation folder).
  Delete "${FOLDER}\log\linkwarden_*.log"
  Delete "${FOLDER}\log\update-*.log"
  RMDir "${FOLDER}\log"
  Delete "${FOLDER}\uninstall.exe"
  RMDir "${FOLDER}"
!macroend

; The start menu and the shell folders of all users.
!macro PerMachineContext
  SetShellVarContext all
!macroend

!macro ReadWaitOption
  ${GetParameters} $R9
  ClearErrors
  ${GetOptions} $R9 "--wait=" $WaitSeconds
  ${If} ${Errors}
  ${OrIf} $WaitSeconds == ""
    StrCpy $WaitSeconds 30
  ${EndIf}
!macroend

Function .onInit
  ; Started by the updater ("--runarg=update", quoted or not), the installer runs without pages.
  ${StrStr} $0 $CMDLINE "--runarg=update"
  ${If} $0 != ""
    StrCpy $IsUpdate 1
    SetSilent silent
  ${EndIf}
  !insertmacro PerMachineContext
  !insertmacro ReadWaitOption
  ; Three values come back, top first: minor version, major version, data folder.
  stagehand::InitInstall /NOUNLOAD
  Pop $MinorVersion
  Pop $MajorVersion
  Pop $DataFolder
  !insertmacro Log "setup ${VERSION}: $CMDLINE"
  !insertmacro Log "data folder $DataFolder, Windows $MajorVersion.$MinorVersion"
FunctionEnd

Function StartProduct
  ; The launcher starts from the installation folder, given in $R0, as the
  ; desktop user with that user's normal rights; the plug-in says how.
  StrCpy $R0 "$INSTDIR"
  stagehand::StartProgram /NOUNLOAD
  Pop $0
  !insertmacro Log "the launcher: $0"
FunctionEnd

; A per-user installation of the desktop user (earlier versions installed
; so) is moved: its programs are ended, its files, entries and shortcut
; removed. Its data folder is the same one and stays.
Function RemovePerUserInstallation
  stagehand::PerUserAccount /NOUNLOAD
  Pop $PerUserAccount
  Pop $PerUserPrograms
  ${If} $PerUserAccount == ""
    Return
  ${EndIf}
  ReadRegStr $R1 HKU "$PerUserAccount\${SETTINGS_KEY}" "InstallDir"
  ${If} $R1 == ""
  ${OrIf} $R1 == $INSTDIR
    Return
  ${EndIf}
  !insertmacro Log "moving the per-user installation in $R1 of $PerUserAccount"
  stagehand::EndFolderPrograms /NOUNLOAD "$R1" "$WaitSeconds"
  Pop $0
  stagehand::WaitForFolder /NOUNLOAD "$R1" "$WaitSeconds"
  Pop $0
  ${If} $0 != ""
    ; The new installation goes on; the old files stay until the next run.
    !insertmacro Log "the per-user installation stays: $0 is still in use"
    Return
  ${EndIf}
  !insertmacro RemoveProductFiles "$R1"
  Delete "$PerUserPrograms\${PRODUCT}\${PRODUCT}.lnk"
  RMDir "$PerUserPrograms\${PRODUCT}"
  DeleteRegKey HKU "$PerUserAccount\${UNINSTALL_KEY}"
  DeleteRegValue HKU "$PerUserAccount\${SETTINGS_KEY}" "InstallDir"
  DeleteRegKey /ifempty HKU "$PerUserAccount\${SETTINGS_KEY}"
  ${If} ${FileExists} "$R1\*.*"
    !insertmacro Log "removed the per-user installation; left in $R1: what its programs did not make"
  ${Else}
    !insertmacro Log "removed the per-user installation"
  ${EndIf}
FunctionEnd

Section "Programs"
  !insertmacro Log "installing into $INSTDIR"
  ; The user asked for the update (the updater's "Done"), so the programs of
  ; the installation still running (the client, its helpers) are asked to
  ; close and, after the wait, ended, as the uninstaller does.
  ${If} $IsUpdate == 1
    stagehand::EndFolderPrograms /NOUNLOAD "$INSTDIR" "$WaitSeconds"
    Pop $0
    !insertmacro Log "the update ended $0 programs of the installation that did not close"
  ${EndIf}
  ; Programs of the installation may still be ending: they get a while; a
  ; program or file still in use then stops the installation before anything
  ; is replaced, so the old one stays whole.
  stagehand::WaitForFolder /NOUNLOAD "$INSTDIR" "$WaitSeconds"
  Pop $0
  ${If} $0 != ""
    !insertmacro Log "stopped: $0 is still in use after $WaitSeconds s; nothing was replaced (exit ${EXIT_IN_USE})"
    ; Silent as it is, an update run says so: the user asked for it and
    ; would otherwise stay on the old version without a word.
    ${If} $IsUpdate == 1
      MessageBox MB_ICONSTOP|MB_OK "$(InUse)"
    ${Else}
      MessageBox MB_ICONSTOP|MB_OK "$(InUse)" /SD IDOK
    ${EndIf}
    SetErrorLevel ${EXIT_IN_USE}
    Quit
  ${EndIf}

  Call RemovePerUserInstallation

  SetOutPath "$INSTDIR\Bin"
  File "${BIN_DIR}\tavaro.exe"
  File "${BIN_DIR}\update.exe"
  File "${BIN_DIR}\linkwarden.exe"
  File "${BIN_DIR}\kickoff.exe"
  File "${BIN_DIR}\sentinel.exe"
  !insertmacro InstallClientFiles

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Bin\tavaro.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
  CreateDirectory "${SHORTCUT_FOLDER}"
  CreateShortcut "${SHORTCUT_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\Bin\tavaro.exe"
  !insertmacro Log "installed ${VERSION} into $INSTDIR"

  ; Silent runs (the updater's) start the product at once; the finish page offers it otherwise.
  ${If} ${Silent}
    Call StartProduct
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro PerMachineContext
  !insertmacro ReadWaitOption
  !insertmacro Log "uninstall ${VERSION}: $CMDLINE"
FunctionEnd

Section "Uninstall"
  ; The client and its helpers are asked to close first; the network tool
  ; undoes its changes when the client ends.
  stagehand::EndFolderPrograms /NOUNLOAD "$INSTDIR" "$WaitSeconds"
  Pop $0
  ; What a tool that was killed, crashed or lost power left in place is
  ; undone by the installed tool (elevated, as it runs) before its files go.
  SetRegView 64
  ClearErrors
  EnumRegValue $1 HKLM "${JOURNAL_KEY}" 0
  SetRegView default
  ${If} $1 != ""
  ${AndIf} ${FileExists} "$INSTDIR\Bin\linkwarden.exe"
    !insertmacro Log "the network tool undoes what a tool left ($1)"
    ExecShellWait "runas" "$INSTDIR\Bin\linkwarden.exe" "--recover=1" SW_HIDE
    !insertmacro Log "the network tool's recovery ended"
  ${EndIf}
  !insertmacro Log "removing $INSTDIR ($0 programs had to be ended)"
  !insertmacro RemoveProductFiles "$INSTDIR"
  Delete "${SHORTCUT_FOLDER}\${PRODUCT}.lnk"
  RMDir "${SHORTCUT_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The network tool's journal lives below the settings key (in the 64-bit
  ; view): only the installer's own value goes, the key when it is empty.
  DeleteRegValue HKLM "${SETTINGS_KEY}" "InstallDir"
  DeleteRegKey /ifempty HKLM "${SETTINGS_KEY}"

  ; The user's data stays unless asked for.
  ${GetParameters} $R9
  ClearErrors
  ${GetOptions} $R9 "--remove-data" $0
  ${IfNot} ${Errors}
    stagehand::RemoveDataFolder /NOUNLOAD
    !insertmacro Log "removed the data folder"
  ${EndIf}
  !insertmacro Log "uninstalled"
SectionEnd
