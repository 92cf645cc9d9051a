; The Windows installer: VELT under Program Files (the 64-bit view, velt.exe being x86-64),
; "Path" and the settings that are not there yet under HKLM\Software\VELT, "Encrypt with VELT"
; and "Decrypt with VELT" in Explorer's context menu of files and folders, the .VELT file type,
; a Start menu entry and an uninstaller that leaves the settings behind.
;   makensis -DVELT_VERSION=1.0.0 -DVELT_NSH=<generated includes> -DVELT_COMPRESSOR=zlib|lzma
;            -DVELT_OUTFILE=<installer.exe> velt.nsi
; The generated includes: files.nsh (the staged files, installed and removed one by one) and
; settings.nsh (the defaults, from the table of velt-install-settings).
Unicode true
Target amd64-unicode
SetCompressor /SOLID ${VELT_COMPRESSOR}
RequestExecutionLevel admin
ManifestDPIAware true

!include LogicLib.nsh

!define KEY "Software\VELT"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VELT"
!define CLASSES "Software\Classes"
!define FILE_TYPE "VELT.EncryptedFile"

Name "VELT"
OutFile "${VELT_OUTFILE}"
InstallDir "$PROGRAMFILES64\VELT"
; The folder of an earlier installation is offered again ("Path" may name a portable copy).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VELT_VERSION}.0"
VIAddVersionKey ProductName "VELT"
VIAddVersionKey FileDescription "VELT installer"
VIAddVersionKey FileVersion "${VELT_VERSION}"
VIAddVersionKey ProductVersion "${VELT_VERSION}"
VIAddVersionKey LegalCopyright ""

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!include "${VELT_NSH}/settings.nsh"
!include "${VELT_NSH}/files.nsh"

; VeltDefault NAME TYPE VALUE: writes the default unless the value exists, whatever its type
; (ReadRegStr fails on a number but still gives its text).
!macro VeltDefault name type value
  ClearErrors
  ReadRegStr $0 HKLM "${KEY}" "${name}"
  ${If} ${Errors}
  ${AndIf} $0 == ""
    WriteReg${type} HKLM "${KEY}" "${name}" "${value}"
  ${EndIf}
!macroend

; ContextVerb CLASS VERB TEXT SWITCH: an entry of that class's context menu starting velt.exe
; with SWITCH and the clicked path in stars, so that blanks and "|" in it stay one item.
!macro ContextVerb class verb text switch
  WriteRegStr HKLM "${CLASSES}\${class}\shell\${verb}" "" "${text}"
  WriteRegStr HKLM "${CLASSES}\${class}\shell\${verb}" "Icon" "$INSTDIR\velt.exe,0"
  WriteRegStr HKLM "${CLASSES}\${class}\shell\${verb}\command" "" \
    '"$INSTDIR\velt.exe" ${switch} "*%1*"'
!macroend

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "VELT"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !insertmacro VeltInstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The program reads the folder without a trailing backslash and adds "\Velt.chm".
  WriteRegStr HKLM "${KEY}" "Path" "$INSTDIR"
  !insertmacro VeltDefaults

  !insertmacro ContextVerb "*" "VeltEncrypt" "Encrypt with VELT" "-e"
  !insertmacro ContextVerb "*" "VeltDecrypt" "Decrypt with VELT" "-d"
  !insertmacro ContextVerb "Directory" "VeltEncrypt" "Encrypt with VELT" "-e"
  !insertmacro ContextVerb "Directory" "VeltDecrypt" "Decrypt with VELT" "-d"

  ; Opening an encrypted file decrypts it.
  WriteRegStr HKLM "${CLASSES}\.VELT" "" "${FILE_TYPE}"
  WriteRegStr HKLM "${CLASSES}\${FILE_TYPE}" "" "VELT encrypted file"
  WriteRegStr HKLM "${CLASSES}\${FILE_TYPE}\DefaultIcon" "" "$INSTDIR\velt.exe,0"
  WriteRegStr HKLM "${CLASSES}\${FILE_TYPE}\shell\open\command" "" \
    '"$INSTDIR\velt.exe" -d "*%1*"'

  CreateShortCut "$SMPROGRAMS\VELT.lnk" "$INSTDIR\velt.exe"
  CreateShortCut "$SMPROGRAMS\VELT Help.lnk" "$INSTDIR\${VELT_HELP_FILE}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VELT"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VELT_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velt.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Everything but the settings: they stay for a later installation. "Path" goes when it names
; this folder, which goes (not when a portable copy was recorded since).
Section "Uninstall"
  SetShellVarContext all
  !insertmacro VeltRemoveFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ReadRegStr $0 HKLM "${KEY}" "Path"
  ${If} $0 == $INSTDIR
    DeleteRegValue HKLM "${KEY}" "Path"
  ${EndIf}
  DeleteRegKey HKLM "${CLASSES}\*\shell\VeltEncrypt"
  DeleteRegKey HKLM "${CLASSES}\*\shell\VeltDecrypt"
  DeleteRegKey HKLM "${CLASSES}\Directory\shell\VeltEncrypt"
  DeleteRegKey HKLM "${CLASSES}\Directory\shell\VeltDecrypt"
  ; The extension's key only while it still points at our type.
  ReadRegStr $0 HKLM "${CLASSES}\.VELT" ""
  ${If} $0 == "${FILE_TYPE}"
    DeleteRegKey HKLM "${CLASSES}\.VELT"
  ${EndIf}
  DeleteRegKey HKLM "${CLASSES}\${FILE_TYPE}"

  Delete "$SMPROGRAMS\VELT.lnk"
  Delete "$SMPROGRAMS\VELT Help.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
