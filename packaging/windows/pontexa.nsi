; The Windows installer of Pontexa (makensis from Debian's nsis).
;   makensis -DVERSION=1.0 -DORIGEN=<folder with the files> -DSALIDA=<installer.exe> pontexa.nsi
; ORIGEN holds pontexa-cli.exe, SAGA.chm and LÉAME.txt, and Pontexa.exe when
; the dialog has been built.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "Falta -DVERSION=..."
!endif
!ifndef ORIGEN
  !error "Falta -DORIGEN=..."
!endif
!ifndef SALIDA
  !error "Falta -DSALIDA=..."
!endif

!include "MUI2.nsh"
!include "x64.nsh"

!define CLAVE_DESINSTALAR "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pontexa"
!define DESINSTALADOR "Desinstalar Pontexa.exe"

Name "Pontexa ${VERSION}"
OutFile "${SALIDA}"
; Mirvane starts Pontexa.exe from its own folder and reads Mirvane.ini there,
; so the usual choice is Mirvane's folder.
InstallDir "C:\Mirvane"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

!define MUI_DIRECTORYPAGE_TEXT_TOP "Elija la carpeta de Mirvane, la que contiene su programa: Mirvane abre Pontexa desde ella y lee allí el archivo de estado Mirvane.ini."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Carpeta de Mirvane"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Spanish"

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Pontexa"
  SetOutPath "$INSTDIR"
!if /FileExists "${ORIGEN}\Pontexa.exe"
  File "${ORIGEN}\Pontexa.exe"
!endif
  File "${ORIGEN}\pontexa-cli.exe"
  File "${ORIGEN}\SAGA.chm"
  File "${ORIGEN}\LÉAME.txt"
  WriteUninstaller "$INSTDIR\${DESINSTALADOR}"
  WriteRegStr HKLM "${CLAVE_DESINSTALAR}" "DisplayName" "Pontexa"
  WriteRegStr HKLM "${CLAVE_DESINSTALAR}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${CLAVE_DESINSTALAR}" "Publisher" "Equipo de Pontexa"
  WriteRegStr HKLM "${CLAVE_DESINSTALAR}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${CLAVE_DESINSTALAR}" "UninstallString" '"$INSTDIR\${DESINSTALADOR}"'
  WriteRegStr HKLM "${CLAVE_DESINSTALAR}" "QuietUninstallString" '"$INSTDIR\${DESINSTALADOR}" /S'
  WriteRegDWORD HKLM "${CLAVE_DESINSTALAR}" "NoModify" 1
  WriteRegDWORD HKLM "${CLAVE_DESINSTALAR}" "NoRepair" 1
SectionEnd

; Only Pontexa's own files go: the folder is usually Mirvane's, and
; Mirvane.ini, Mirvane's program and its data stay.
Section "Uninstall"
  Delete "$INSTDIR\Pontexa.exe"
  Delete "$INSTDIR\pontexa-cli.exe"
  Delete "$INSTDIR\SAGA.chm"
  Delete "$INSTDIR\LÉAME.txt"
  Delete "$INSTDIR\${DESINSTALADOR}"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${CLAVE_DESINSTALAR}"
SectionEnd
