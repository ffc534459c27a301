; The product installer: installs the programs below "Bin\" and, through the
; stagehand plug-in, prepares the per-user data folder and starts the launcher.
;
;   makensis -DTARGET=amd64-unicode|x86-unicode -DBIN_DIR=<programs> -DOUT_FILE=<setup.exe> tavaro.nsi
Unicode true
!include "LogicLib.nsh"
!include "StrFunc.nsh"
${StrStr}
Target ${TARGET}
!addplugindir /${TARGET} "${BIN_DIR}"

Name "Tavaro"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Tavaro"
RequestExecutionLevel user
ShowInstDetails show

Var DataFolder
Var MajorVersion
Var MinorVersion

Function .onInit
  ; Started by the updater ("--runarg=update", quoted or not), the installer runs without pages.
  ${StrStr} $0 $CMDLINE "--runarg=update"
  ${If} $0 != ""
    SetSilent silent
  ${EndIf}
  ; Three values come back, top first: minor version, major version, data folder.
  stagehand::InitInstall /NOUNLOAD
  Pop $MinorVersion
  Pop $MajorVersion
  Pop $DataFolder
FunctionEnd

Section "Programs"
  SetOutPath "$INSTDIR\Bin"
  File "${BIN_DIR}\tavaro.exe"
  File "${BIN_DIR}\ui.dll"
  File "${BIN_DIR}\linkwarden.exe"
  File "${BIN_DIR}\kickoff.exe"
  File "${BIN_DIR}\sentinel.exe"
  File "${BIN_DIR}\client.exe"

  ; What the plug-in reported, for whoever checks the installation.
  FileOpen $0 "$INSTDIR\install-values.txt" w
  FileWrite $0 "minor=$MinorVersion$\r$\nmajor=$MajorVersion$\r$\ndata=$DataFolder$\r$\n"
  FileClose $0

  ; The launcher starts from the installation folder, given in $R0.
  StrCpy $R0 "$INSTDIR"
  stagehand::StartProgram
SectionEnd
