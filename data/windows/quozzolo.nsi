; The Windows installer: makensis -DVERSION=... -DSOURCE=<folder> -DOUTFILE=...
; SOURCE holds quozzolo.exe, quozzolo.ico and the licence files
; (scripts/test-windows.sh puts them together).
;   quozzolo-<version>-setup.exe       asks, in Italian
;   quozzolo-<version>-setup.exe /S    installs silently (uninstall.exe /S too)
; A 64-bit installer for a 64-bit program (and Wine without 32-bit support runs it).
Target amd64-unicode
SetCompressor /SOLID lzma
!include "MUI2.nsh"
!include "x64.nsh"

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quozzolo"

Name "Quozzolo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Quozzolo"
; The record folder is the machine's, and so is the program: for every player.
RequestExecutionLevel admin
BrandingText "Quozzolo ${VERSION}"

!define MUI_ICON "${SOURCE}\quozzolo.ico"
!define MUI_UNICON "${SOURCE}\quozzolo.ico"
!insertmacro MUI_PAGE_LICENSE "${SOURCE}\LICENZA.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "Quozzolo"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di Quozzolo"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "2026 Tizio e Caio, GPL-3.0-or-later"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "Quozzolo richiede Windows a 64 bit." /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section
    SetOutPath "$INSTDIR"
    File "${SOURCE}\quozzolo.exe"
    File "${SOURCE}\quozzolo.ico"
    File "${SOURCE}\LICENZA.txt"
    File "${SOURCE}\LICENZE-Qt.txt"
    File "${SOURCE}\LGPL-3.0.txt"
    File "${SOURCE}\Qt-copyright.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Quozzolo.lnk" "$INSTDIR\quozzolo.exe" "" "$INSTDIR\quozzolo.ico" 0

    ; The machine-wide record folder (C:\ProgramData\Quozzolo): every user of
    ; the PC (the Users group, by its SID, whatever the system's language)
    ; may change the files in it, so one record is shared by all players.
    CreateDirectory "$APPDATA\Quozzolo"
    nsExec::ExecToLog 'icacls "$APPDATA\Quozzolo" /grant *S-1-5-32-545:(OI)(CI)M'
    Pop $0

    WriteRegStr HKLM "${KEY}" "DisplayName" "Quozzolo"
    WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${KEY}" "Publisher" "Tizio e Caio"
    WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\quozzolo.ico"
    WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
SectionEnd

; The records stay: they are the players', and a new installation finds them.
Section "Uninstall"
    Delete "$SMPROGRAMS\Quozzolo.lnk"
    Delete "$INSTDIR\quozzolo.exe"
    Delete "$INSTDIR\quozzolo.ico"
    Delete "$INSTDIR\LICENZA.txt"
    Delete "$INSTDIR\LICENZE-Qt.txt"
    Delete "$INSTDIR\LGPL-3.0.txt"
    Delete "$INSTDIR\Qt-copyright.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${KEY}"
SectionEnd
