; Tarvo_setup.exe: installs Tarvo.exe and Tarvo_Network.exe for the current
; user, with a Start-menu entry and an uninstaller. "/S" installs silently.
; Run by the client's updater, it waits for the client to end, takes the
; folder of the earlier installation without asking, and starts the new
; client when done.
;
; makensis -DPROGRAM_DIR=<folder of the two programs> -DOUTPUT=<setup file>
;          -DVERSION=<a.b.c.d> -DICON=<tarvo.ico> tarvo.nsi

!ifndef PROGRAM_DIR
  !error "PROGRAM_DIR must be defined"
!endif
!ifndef OUTPUT
  !error "OUTPUT must be defined"
!endif
!ifndef VERSION
  !error "VERSION must be defined"
!endif
!ifndef ICON
  !error "ICON must be defined"
!endif

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include LogicLib.nsh

!define PRODUCT "Tarvo"
!define REG_KEY "Software\Tarvo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${PRODUCT}"
OutFile "${OUTPUT}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\Tarvo"
InstallDirRegKey HKCU "${REG_KEY}" "InstallDir"
AutoCloseWindow true
ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1042 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1042 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1042 "FileDescription" "${PRODUCT} 설치"
VIAddVersionKey /LANG=1042 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1042 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1042 "LegalCopyright" "${PRODUCT}"

LoadLanguageFile "${NSISDIR}\Contrib\Language files\Korean.nlf"

Var Upgrade  ; 1: an earlier installation names the folder

Page directory SkipOnUpgrade
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Waits up to ${SECONDS} s for the program that holds the named mutex to end,
; then ends it by force. The watchdog hangs up the tunnel of a client that
; disappears, so ending the client never leaves a connection behind.
!macro EndProgram UN MUTEX EXE
Function ${UN}EndProgram_${EXE}
  StrCpy $R1 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${MUTEX}") p .R0'
    ${If} $R0 P= 0
      Return
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p R0)'
    ${If} $R1 >= 40
      ${ExitDo}
    ${EndIf}
    Sleep 250
    IntOp $R1 $R1 + 1
  ${Loop}
  nsExec::Exec '"$SYSDIR\taskkill.exe" /F /IM ${EXE}.exe'
  Pop $R0
  Sleep 500
FunctionEnd
!macroend
!insertmacro EndProgram "" "Tarvo" "Tarvo"
!insertmacro EndProgram "" "Tarvo_Network" "Tarvo_Network"
!insertmacro EndProgram "un." "Tarvo" "Tarvo"
!insertmacro EndProgram "un." "Tarvo_Network" "Tarvo_Network"

Function .onInit
  StrCpy $Upgrade 0
  ReadRegStr $0 HKCU "${REG_KEY}" "InstallDir"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\Tarvo.exe"
    StrCpy $Upgrade 1
  ${EndIf}
FunctionEnd

Function SkipOnUpgrade
  ${If} $Upgrade = 1
    Abort
  ${EndIf}
FunctionEnd

Section "Tarvo"
  SetShellVarContext current
  ; The client first: once it is gone, its watchdog hangs up and ends too.
  Call EndProgram_Tarvo
  Call EndProgram_Tarvo_Network

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${PROGRAM_DIR}\Tarvo.exe"
  File "${PROGRAM_DIR}\Tarvo_Network.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Tarvo"
  CreateShortCut "$SMPROGRAMS\Tarvo\Tarvo.lnk" "$INSTDIR\Tarvo.exe" "" "$INSTDIR\Tarvo.exe" 0
  CreateShortCut "$SMPROGRAMS\Tarvo\Tarvo 제거.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${REG_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Tarvo.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  ; An interactive run (the updater's) ends with the new client running.
  ${IfNot} ${Silent}
    Exec '"$INSTDIR\Tarvo.exe"'
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.EndProgram_Tarvo
  Call un.EndProgram_Tarvo_Network

  Delete "$INSTDIR\Tarvo.exe"
  Delete "$INSTDIR\Tarvo_Network.exe"
  Delete "$INSTDIR\temporarily_file"  ; the client's phonebook file
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Tarvo\Tarvo.lnk"
  Delete "$SMPROGRAMS\Tarvo\Tarvo 제거.lnk"
  RMDir "$SMPROGRAMS\Tarvo"

  ; Start with Windows: the value would name a program that is gone.
  DeleteRegValue HKCU "${RUN_KEY}" "Tarvo"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${REG_KEY}"
SectionEnd
