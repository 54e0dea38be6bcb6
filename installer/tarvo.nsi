; Tarvo_setup.exe: installs Tarvo.exe and Tarvo_Network.exe for the current
; user, with a Start-menu entry and an uninstaller. "/S" installs silently.
; Run by the client's updater, it waits for the client of its installation
; folder to end, takes that folder without asking, keeps the saved sign-in
; file and the start-with-Windows value, and starts the new client when done.
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

; The programs of this installation are ended before their files are
; replaced or removed; a client installed in another folder keeps running.
; Each program of the folder gets 10 s to end by itself (the watchdog hangs
; up and ends once its client is gone), then it is ended by force.
!macro EndInstalledPrograms UN
; $R6: the program's file name. Leaves in $R2 a handle (terminate, wait,
; query) of a process running "$INSTDIR\$R6", or 0 when there is none.
Function ${UN}FindInstalledProgram
  StrCpy $R2 0
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p .R0'  ; TH32CS_SNAPPROCESS
  ${If} $R0 P= -1
    Return
  ${EndIf}
  ; PROCESSENTRY32W as laid out for x64 (568 bytes, dwSize first).
  System::Call '*(i 568, i, i, i, l, i, i, i, i, i, &w260, i) p .R1'
  System::Call 'kernel32::Process32FirstW(p R0, p R1) i .R7'
  ${DoWhile} $R7 <> 0
    System::Call '*$R1(i, i, i .R3, i, l, i, i, i, i, i, &w260 .R4)'
    ${If} $R4 == $R6
      ; PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE
      System::Call 'kernel32::OpenProcess(i 0x101001, i 0, i R3) p .R2'
      ${If} $R2 P<> 0
        System::Call 'kernel32::QueryFullProcessImageNameW(p R2, i 0, w .R9, *i ${NSIS_MAX_STRLEN}) i .R8'
        ${If} $R8 <> 0
        ${AndIf} $R9 == "$INSTDIR\$R6"
          ${Break}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p R2)'
        StrCpy $R2 0
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::Process32NextW(p R0, p R1) i .R7'
  ${Loop}
  System::Free $R1
  System::Call 'kernel32::CloseHandle(p R0)'
FunctionEnd

; $R6: the program's file name.
Function ${UN}EndInstalledProgram
  StrCpy $R5 0
  ${Do}
    Call ${UN}FindInstalledProgram
    ${If} $R2 P= 0
      Return
    ${EndIf}
    ${If} $R5 < 40
      System::Call 'kernel32::WaitForSingleObject(p R2, i 250)'
    ${ElseIf} $R5 < 60
      System::Call 'kernel32::TerminateProcess(p R2, i 1)'
      System::Call 'kernel32::WaitForSingleObject(p R2, i 2000)'
    ${Else}
      System::Call 'kernel32::CloseHandle(p R2)'
      Return  ; it cannot be ended: the files it holds stay
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p R2)'
    IntOp $R5 $R5 + 1
  ${Loop}
FunctionEnd

Function ${UN}EndInstalledPrograms
  ; The client first: once it is gone, its watchdog hangs up and ends too.
  StrCpy $R6 "Tarvo.exe"
  Call ${UN}EndInstalledProgram
  StrCpy $R6 "Tarvo_Network.exe"
  Call ${UN}EndInstalledProgram
FunctionEnd
!macroend
!insertmacro EndInstalledPrograms ""
!insertmacro EndInstalledPrograms "un."

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
  Call EndInstalledPrograms

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
  Call un.EndInstalledPrograms

  Delete "$INSTDIR\Tarvo.exe"
  Delete "$INSTDIR\Tarvo_Network.exe"
  Delete "$INSTDIR\temporarily_file"  ; the client's phonebook file
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Tarvo\Tarvo.lnk"
  Delete "$SMPROGRAMS\Tarvo\Tarvo 제거.lnk"
  RMDir "$SMPROGRAMS\Tarvo"

  ; What the client keeps in the user's temporary folder: the saved sign-in
  ; file (its password can be recovered), and the installers that updates
  ; downloaded, each in a folder of its own, complete or partial.
  Delete "$TEMP\TarvoCookie.txt"
  Delete "$TEMP\Tarvo_setup.exe"
  FindFirst $0 $1 "$TEMP\Tarvo-update-*"
  ${DoWhile} $1 != ""
    Delete "$TEMP\$1\Tarvo_setup.exe"
    RMDir "$TEMP\$1"
    FindNext $0 $1
  ${Loop}
  FindClose $0

  ; Start with Windows: the value would name a program that is gone.
  DeleteRegValue HKCU "${RUN_KEY}" "Tarvo"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${REG_KEY}"
SectionEnd
