; The setup program of Orvex Visualizer: a per-user installation that needs no
; administrator rights, with German pages, a Start-menu shortcut, an optional
; desktop shortcut and an uninstaller listed under "Apps".
;
; Built by the CMake target "installer", which passes on makensis' command line:
;   VERSION    the project's version (0.91.0)
;   VERSION4   the same with four numbers, for the version resource
;   PUBLISHER  who publishes the program
;   STAGE      the portable folder, whose files (but the data sets) it installs
;   FILES      the generated file lists (packaging/CMakeLists.txt)
;   DEMO_SIZE  the generated DEMO_DATA_KB, what the data sets will take
;   GENERATOR  make_demo_data.exe
;   ICON       the program's icon
;   OUTFILE    the setup program to write
;
; The demonstration data sets (210 MB of text) are not in the setup program:
; it carries their generator and writes them while installing, the same bytes
; as the build's. A data set the user has replaced (imported real data) is
; recognised by its size and time differing from what the setup wrote, which
; demodata.ini in the install folder records; such a file is never replaced
; or removed.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES}"
!include "${DEMO_SIZE}"

!define PRODUCT "Orvex Visualizer"
!define PROGRAM "orvex_visualizer.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvexVisualizer"
!define SHORTCUT "${PRODUCT}.lnk"
!define DEMO_RECORD "$INSTDIR\demodata.ini"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} - Installation"
UninstallCaption "${PRODUCT} ${VERSION} - Deinstallation"
OutFile "${OUTFILE}"
; A folder of the user's own, writable without administrator rights: the
; program writes its settings, positions and exports into its working folder.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!define MUI_WELCOMEPAGE_TEXT "Dieser Assistent installiert ${PRODUCT} ${VERSION} für Ihr Benutzerkonto. Administratorrechte sind dafür nicht nötig.$\r$\n$\r$\n${PRODUCT} zeigt Monat für Monat die Abweichungen der Oberflächentemperatur vom langjährigen Mittel auf einer Weltkarte.$\r$\n$\r$\nEine bestehende Installation wird aktualisiert; Ihre Einstellungen, Positionen, Exporte und eigenen Daten bleiben erhalten.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME

!define MUI_PAGE_HEADER_TEXT "Lizenz und Danksagungen"
!define MUI_PAGE_HEADER_SUBTEXT "Unter welchen Bedingungen ${PRODUCT} und seine Bestandteile weitergegeben werden."
!define MUI_LICENSEPAGE_TEXT_TOP "Die vollständigen Lizenztexte liegen nach der Installation im Ordner Lizenzen."
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Die Lizenzen erlauben die Nutzung ohne Gebühren. Klicken Sie auf Weiter, um fortzufahren."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LIZENZ.txt"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "${PRODUCT} starten"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LIESMICH.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "LIESMICH anzeigen"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "${PRODUCT} - Installation"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "${PUBLISHER}"

; --- Demonstration data ---------------------------------------------------------

; $R0 = path of a file -> $R1 = "size time" (its length and last-write time).
!macro FINGERPRINT UN
Function ${UN}Fingerprint
    Push $0
    Push $1
    Push $2
    FileOpen $0 $R0 r
    FileSeek $0 0 END $1
    FileClose $0
    GetFileTime $R0 $0 $2
    StrCpy $R1 "$1 $0 $2"
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro FINGERPRINT ""
!insertmacro FINGERPRINT "un."

; True ($R2 = 1) when data\cru\$R3 is still the demonstration file this setup
; (or an earlier one) wrote, 0 when the user has replaced it.
!macro IS_DEMO_FILE UN
Function ${UN}IsDemoFile
    StrCpy $R0 "$INSTDIR\data\cru\$R3"
    Call ${UN}Fingerprint
    ReadINIStr $R2 "${DEMO_RECORD}" "written" $R3
    ${If} $R2 == $R1
        StrCpy $R2 1
    ${Else}
        StrCpy $R2 0
    ${EndIf}
FunctionEnd
!macroend
!insertmacro IS_DEMO_FILE ""
!insertmacro IS_DEMO_FILE "un."

; Moves the freshly generated data\cru\$R3 into place unless the user's own file
; is there.
Function PlaceDemoFile
    ${If} ${FileExists} "$INSTDIR\data\cru\$R3"
        Call IsDemoFile
        ${If} $R2 == 0
            DetailPrint "Eigene Daten behalten: data\cru\$R3"
            Return
        ${EndIf}
        Delete "$INSTDIR\data\cru\$R3"
    ${EndIf}
    ClearErrors
    Rename "$PLUGINSDIR\demodata\data\cru\$R3" "$INSTDIR\data\cru\$R3"
    ${If} ${Errors}
        MessageBox MB_ICONSTOP|MB_OK "data\cru\$R3 konnte nicht geschrieben werden. Ist ${PRODUCT} noch geöffnet?" /SD IDOK
        Abort
    ${EndIf}
    StrCpy $R0 "$INSTDIR\data\cru\$R3"
    Call Fingerprint
    WriteINIStr "${DEMO_RECORD}" "written" $R3 $R1
FunctionEnd

!macro PLACE_DEMO_FILE NAME
    StrCpy $R3 "${NAME}"
    Call PlaceDemoFile
!macroend

!macro REMOVE_DEMO_FILE NAME
    StrCpy $R3 "${NAME}"
    ${If} ${FileExists} "$INSTDIR\data\cru\$R3"
        Call un.IsDemoFile
        ${If} $R2 == 1
            Delete "$INSTDIR\data\cru\$R3"
        ${EndIf}
    ${EndIf}
!macroend

Function WriteDemoData
    DetailPrint "Vorführdaten werden erzeugt ..."
    InitPluginsDir
    SetOutPath "$PLUGINSDIR\demodata"
    File "/oname=make_demo_data.exe" "${GENERATOR}"
    !insertmacro ORVEX_RUNTIME_DLLS
    nsExec::ExecToLog '"$PLUGINSDIR\demodata\make_demo_data.exe" "$PLUGINSDIR\demodata"'
    Pop $0
    ${If} $0 != 0
        MessageBox MB_ICONSTOP|MB_OK "Die Vorführdaten konnten nicht erzeugt werden ($0)." /SD IDOK
        Abort
    ${EndIf}
    CreateDirectory "$INSTDIR\data\cru"
    !insertmacro ORVEX_DEMO_FILES PLACE_DEMO_FILE
    SetOutPath "$INSTDIR"
FunctionEnd

; --- Installation ----------------------------------------------------------------

Section "!Programm" SecProgram
    SectionIn RO
    AddSize ${DEMO_DATA_KB}
    !insertmacro ORVEX_INSTALL_FILES
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    Call WriteDemoData

    ; The working folder of the shortcut is the install folder ($OUTDIR).
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${PROGRAM}"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Verknüpfung auf dem Desktop" SecDesktop
    SetOutPath "$INSTDIR"
    CreateShortcut "$DESKTOP\${SHORTCUT}" "$INSTDIR\${PROGRAM}"
SectionEnd

; Started from the finish page in its folder, as the shortcut starts it.
Function StartProgram
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\${PROGRAM}"'
FunctionEnd

; --- Uninstallation --------------------------------------------------------------

; Removes what the setup put there and the entries it made; the user's files
; (init.txt, positions.txt, Auswertung.csv, saved pictures, imported data sets)
; stay, and with them the folder.
Section "Uninstall"
    !insertmacro ORVEX_DEMO_FILES REMOVE_DEMO_FILE
    Delete "${DEMO_RECORD}"
    !insertmacro ORVEX_REMOVE_FILES
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR\data\cru"
    RMDir "$INSTDIR\data"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${SHORTCUT}"
    Delete "$DESKTOP\${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ${If} ${FileExists} "$INSTDIR\*.*"
        DetailPrint "Ihre eigenen Dateien wurden behalten: $INSTDIR"
        MessageBox MB_ICONINFORMATION|MB_OK "${PRODUCT} wurde entfernt.$\r$\n$\r$\nIhre eigenen Dateien (Einstellungen, Positionen, Exporte, gespeicherte Bilder, eigene Daten) wurden nicht gelöscht. Sie liegen weiterhin in$\r$\n$INSTDIR" /SD IDOK
    ${EndIf}
SectionEnd
