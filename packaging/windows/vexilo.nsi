; The Windows installer: vexilo for the current user, without administrator
; rights, in the user's own programs folder, with a Start-menu shortcut
; that starts the comfortable options in the Pictures folder, an entry in
; Windows' list of installed programs, and an uninstaller that removes
; what the installer made and nothing else (never a picture S saved).
; makensis -DVERSION=1.0.0 -DFILES=folder -DICON=vexilo.ico -DOUTFILE=setup.exe
; takes vexilo.exe, README.md, LICENSE.txt and the docs folder from FILES.
Unicode true
SetCompressor /SOLID lzma
Target amd64-unicode
RequestExecutionLevel user
Name "vexilo"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\vexilo"
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails nevershow
ShowUninstDetails nevershow
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "vexilo"
VIAddVersionKey /LANG=1033 "FileDescription" "vexilo installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "vexilo developers"
VIAddVersionKey /LANG=1033 "LegalCopyright" "MIT licence"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vexilo"
!define OPTIONS "--window --scale auto --rate 15 --screenshot vexilo.png"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${FILES}/vexilo.exe"
  File "${FILES}/README.md"
  File "${FILES}/LICENSE.txt"
  File /r "${FILES}/docs"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; S saves where the program starts: in the Pictures folder, where
  ; people look for pictures.
  SetOutPath "$PICTURES"
  CreateShortcut "$SMPROGRAMS\vexilo.lnk" "$INSTDIR\vexilo.exe" "${OPTIONS}" "$INSTDIR\vexilo.exe" 0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "vexilo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "vexilo developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "https://vexilo.example.org/"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vexilo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\vexilo.lnk"
  Delete "$INSTDIR\vexilo.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE.txt"
  RMDir /r "$INSTDIR\docs"
  Delete "$INSTDIR\uninstall.exe"
  ; Only if empty: nothing the user put there goes.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
