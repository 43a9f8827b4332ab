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
; as the build's.
;
; Installation.ini in the install folder records every file the setup put
; there with its size and last-write time. An upgrade removes what the earlier
; package installed and this one no longer ships, and the uninstaller removes
; what the record holds, in both cases only files still as they were written:
; a file the user changed (an imported data set, an edited text) is kept.
; Neither replaces nor removes anything while the program runs.

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
!define RECORD "$INSTDIR\Installation.ini"
!define RECORD_SECTION "Dateien"
; What this run installs, the record once it has finished.
!define NEW_RECORD "$PLUGINSDIR\Installation.ini"
; Exit code of a setup or uninstaller that found the program running and was
; not allowed to wait (cancelled, or silent).
!define EXIT_PROGRAM_RUNNING 3

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

; --- The record of installed files --------------------------------------------

; $R0 = path of a file -> $R1 = "size time" (its length and last-write time),
; empty when it cannot be read.
!macro FINGERPRINT UN
Function ${UN}Fingerprint
    Push $0
    Push $1
    Push $2
    StrCpy $R1 ""
    ClearErrors
    FileOpen $0 $R0 r
    ${IfNot} ${Errors}
        FileSeek $0 0 END $1
        FileClose $0
        GetFileTime $R0 $0 $2
        StrCpy $R1 "$1 $0 $2"
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro FINGERPRINT ""
!insertmacro FINGERPRINT "un."

; True ($R2 = 1) when $INSTDIR\$R3 is still as the record $R4 says it was
; written, 0 when it is missing, not recorded or changed since.
!macro IS_UNCHANGED UN
Function ${UN}IsUnchanged
    StrCpy $R0 "$INSTDIR\$R3"
    Call ${UN}Fingerprint
    ReadINIStr $R2 $R4 ${RECORD_SECTION} $R3
    ${If} $R1 != ""
    ${AndIf} $R2 == $R1
        StrCpy $R2 1
    ${Else}
        StrCpy $R2 0
    ${EndIf}
FunctionEnd
!macroend
!insertmacro IS_UNCHANGED ""
!insertmacro IS_UNCHANGED "un."

; Removes the folders of $INSTDIR\$R3 up to the install folder that are empty.
!macro REMOVE_EMPTY_FOLDERS UN
Function ${UN}RemoveEmptyFolders
    ${GetParent} "$INSTDIR\$R3" $R9
    ${Do}
        ${If} $R9 == $INSTDIR
        ${OrIf} $R9 == ""
            ${Break}
        ${EndIf}
        RMDir $R9
        ${GetParent} $R9 $R9
    ${Loop}
FunctionEnd
!macroend
!insertmacro REMOVE_EMPTY_FOLDERS ""
!insertmacro REMOVE_EMPTY_FOLDERS "un."

; Removes each file of the record $R4 that is unchanged, but those the record
; $R5 holds too (what this installation has just written; "" for none). A file
; changed since it was recorded belongs to the user now and stays.
!macro REMOVE_RECORDED UN
Function ${UN}RemoveRecorded
    ClearErrors
    FileOpen $R6 $R4 r
    ${If} ${Errors}
        Return
    ${EndIf}
    ${Do}
        ClearErrors
        FileRead $R6 $R7
        ${If} ${Errors}
            ${Break}
        ${EndIf}
        ; The key is the line up to its "="; the section line has none.
        StrCpy $R8 0
        ${Do}
            StrCpy $R9 $R7 1 $R8
            ${If} $R9 == ""
            ${OrIf} $R9 == "="
                ${Break}
            ${EndIf}
            IntOp $R8 $R8 + 1
        ${Loop}
        ${If} $R9 == "="
            StrCpy $R3 $R7 $R8
            StrCpy $R2 ""
            ${If} $R5 != ""
                ReadINIStr $R2 $R5 ${RECORD_SECTION} $R3
            ${EndIf}
            ${If} $R2 == ""
            ${AndIf} ${FileExists} "$INSTDIR\$R3"
                Call ${UN}IsUnchanged
                ${If} $R2 == 1
                    Delete "$INSTDIR\$R3"
                    Call ${UN}RemoveEmptyFolders
                ${Else}
                    DetailPrint "Von Ihnen geändert, daher behalten: $R3"
                ${EndIf}
            ${EndIf}
        ${EndIf}
    ${Loop}
    FileClose $R6
FunctionEnd
!macroend
!insertmacro REMOVE_RECORDED ""
!insertmacro REMOVE_RECORDED "un."

; After each file the setup writes (files.nsh). The record in the folder
; follows at once, so that a setup ended half-way leaves it true.
!macro RECORD_FILE NAME
    StrCpy $R0 "$INSTDIR\${NAME}"
    Call Fingerprint
    WriteINIStr "${NEW_RECORD}" ${RECORD_SECTION} "${NAME}" $R1
    WriteINIStr "${RECORD}" ${RECORD_SECTION} "${NAME}" $R1
!macroend

; Packages before the record recorded only their data sets, in demodata.ini.
!macro TAKE_DEMO_RECORD NAME
    ReadINIStr $R1 "${RECORD}" ${RECORD_SECTION} "data\cru\${NAME}"
    ${If} $R1 == ""
        ReadINIStr $R1 "$INSTDIR\demodata.ini" "written" "${NAME}"
        ${If} $R1 != ""
            WriteINIStr "${RECORD}" ${RECORD_SECTION} "data\cru\${NAME}" $R1
        ${EndIf}
    ${EndIf}
!macroend

; The Python importer that packages before import_grid.exe shipped, with each
; size its files had in them. Those packages recorded nothing about it, and no
; later one ships the folder: a file there of one of these sizes is taken as
; theirs and unchanged.
!macro EARLIER_IMPORTER MACRO
    !insertmacro ${MACRO} "import-grid\import-grid.cmd" 1223
    !insertmacro ${MACRO} "import-grid\import-grid.py" 545
    !insertmacro ${MACRO} "import-grid\import-grid.py" 561
    !insertmacro ${MACRO} "import-grid\gridimport\__init__.py" 145
    !insertmacro ${MACRO} "import-grid\gridimport\axes.py" 5997
    !insertmacro ${MACRO} "import-grid\gridimport\cli.py" 1880
    !insertmacro ${MACRO} "import-grid\gridimport\cli.py" 2159
    !insertmacro ${MACRO} "import-grid\gridimport\errors.py" 180
    !insertmacro ${MACRO} "import-grid\gridimport\gridfile.py" 7544
    !insertmacro ${MACRO} "import-grid\gridimport\importer.py" 14766
    !insertmacro ${MACRO} "import-grid\gridimport\importer.py" 15770
    !insertmacro ${MACRO} "import-grid\gridimport\netcdf.py" 3756
    !insertmacro ${MACRO} "import-grid\gridimport\netcdf.py" 3906
    !insertmacro ${MACRO} "import-grid\gridimport\regrid.py" 6795
    !insertmacro ${MACRO} "import-grid\gridimport\regrid.py" 8700
    !insertmacro ${MACRO} "import-grid\gridimport\timeaxis.py" 6737
    !insertmacro ${MACRO} "import-grid\gridimport\variables.py" 3873
!macroend

!macro REMOVE_OF_SIZE NAME SIZE
    ClearErrors
    FileOpen $0 "$INSTDIR\${NAME}" r
    ${IfNot} ${Errors}
        FileSeek $0 0 END $1
        FileClose $0
        ${If} $1 == ${SIZE}
            Delete "$INSTDIR\${NAME}"
        ${EndIf}
    ${EndIf}
!macroend

Function RemoveEarlierImporter
    !insertmacro EARLIER_IMPORTER REMOVE_OF_SIZE
    ; Python's caches of those modules, which it makes again from a kept one.
    Delete "$INSTDIR\import-grid\gridimport\__pycache__\*.pyc"
    RMDir "$INSTDIR\import-grid\gridimport\__pycache__"
    RMDir "$INSTDIR\import-grid\gridimport"
    RMDir "$INSTDIR\import-grid"
    ${If} ${FileExists} "$INSTDIR\import-grid\*.*"
        DetailPrint "Von Ihnen geändert, daher behalten: import-grid"
    ${EndIf}
FunctionEnd

; --- A running program -----------------------------------------------------------

; $R2 = NAME when the folder's NAME cannot be opened for writing: a running
; program holds its .exe and DLLs so. The first one found is named, a program
; before the DLLs it loads.
!macro FIND_LOCKED NAME
    ${If} $R2 == ""
    ${AndIf} ${FileExists} "$INSTDIR\${NAME}"
        ClearErrors
        FileOpen $0 "$INSTDIR\${NAME}" a
        ${If} ${Errors}
            StrCpy $R2 "${NAME}"
        ${Else}
            FileClose $0
        ${EndIf}
    ${EndIf}
!macroend

; Asks to close the program while one of the folder's programs runs. Cancel,
; and the silent mode, which cannot ask, end the run with EXIT_PROGRAM_RUNNING
; before anything is replaced or removed.
!macro ENSURE_PROGRAM_CLOSED UN ENDS
Function ${UN}EnsureProgramClosed
  check:
    StrCpy $R2 ""
    !insertmacro ORVEX_BINARIES FIND_LOCKED
    StrCmp $R2 "" 0 +2
    Return
    MessageBox MB_ICONEXCLAMATION|MB_RETRYCANCEL "${PRODUCT} ist noch geöffnet ($R2 wird verwendet).$\r$\n$\r$\nBitte schließen Sie ${PRODUCT} und klicken Sie auf Wiederholen. Abbrechen beendet ${ENDS}, ohne etwas zu ändern." /SD IDCANCEL IDRETRY check
    SetErrorLevel ${EXIT_PROGRAM_RUNNING}
    Quit
FunctionEnd
!macroend
!insertmacro ENSURE_PROGRAM_CLOSED "" "die Installation"
!insertmacro ENSURE_PROGRAM_CLOSED "un." "die Deinstallation"

; --- Demonstration data ---------------------------------------------------------

; Moves the freshly generated $R3 (data\cru\<name>) into place unless the
; user's own file is there.
Function PlaceDemoFile
    ${If} ${FileExists} "$INSTDIR\$R3"
        StrCpy $R4 "${RECORD}"
        Call IsUnchanged
        ${If} $R2 == 0
            DetailPrint "Eigene Daten behalten: $R3"
            ; The user's now: not the record's any more.
            DeleteINIStr "${RECORD}" ${RECORD_SECTION} $R3
            Return
        ${EndIf}
        Delete "$INSTDIR\$R3"
    ${EndIf}
    ClearErrors
    Rename "$PLUGINSDIR\demodata\$R3" "$INSTDIR\$R3"
    ${If} ${Errors}
        MessageBox MB_ICONSTOP|MB_OK "$R3 konnte nicht geschrieben werden. Ist ${PRODUCT} noch geöffnet?" /SD IDOK
        Abort
    ${EndIf}
    !insertmacro RECORD_FILE $R3
FunctionEnd

!macro PLACE_DEMO_FILE NAME
    StrCpy $R3 "data\cru\${NAME}"
    Call PlaceDemoFile
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

; The files this package does not ship (any more) go when unchanged; the new
; record replaces the earlier one.
Function RemoveDroppedFiles
    FlushINI "${RECORD}"
    StrCpy $R4 "${RECORD}"
    StrCpy $R5 "${NEW_RECORD}"
    Call RemoveRecorded
    Call RemoveEarlierImporter
    FlushINI "${NEW_RECORD}"
    ClearErrors
    CopyFiles /SILENT "${NEW_RECORD}" "${RECORD}"
    ${If} ${Errors}
        MessageBox MB_ICONSTOP|MB_OK "${RECORD} konnte nicht geschrieben werden." /SD IDOK
        Abort
    ${EndIf}
    Delete "$INSTDIR\demodata.ini"
FunctionEnd

Section "!Programm" SecProgram
    SectionIn RO
    AddSize ${DEMO_DATA_KB}
    Call EnsureProgramClosed
    InitPluginsDir
    !insertmacro ORVEX_DEMO_FILES TAKE_DEMO_RECORD
    !insertmacro ORVEX_INSTALL_FILES
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    Call WriteDemoData
    Call RemoveDroppedFiles

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

; Removes what the setup put there and is unchanged, and the entries it made;
; the user's files (init.txt, positions.txt, Auswertung.csv, saved pictures,
; imported data sets, files the user changed) stay, and with them the folder.
Section "Uninstall"
    Call un.EnsureProgramClosed
    ${If} ${FileExists} "${RECORD}"
        StrCpy $R4 "${RECORD}"
        StrCpy $R5 ""
        Call un.RemoveRecorded
    ${Else}
        ; Without its record: the package's program files, as they cannot be
        ; the user's; the data sets cannot be told from imported ones.
        !insertmacro ORVEX_REMOVE_FILES
    ${EndIf}
    Delete "${RECORD}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${SHORTCUT}"
    Delete "$DESKTOP\${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ${If} ${FileExists} "$INSTDIR\*.*"
        DetailPrint "Ihre eigenen Dateien wurden behalten: $INSTDIR"
        MessageBox MB_ICONINFORMATION|MB_OK "${PRODUCT} wurde entfernt.$\r$\n$\r$\nIhre eigenen Dateien (Einstellungen, Positionen, Exporte, gespeicherte Bilder, eigene Daten) wurden nicht gelöscht. Sie liegen weiterhin in$\r$\n$INSTDIR" /SD IDOK
    ${EndIf}
SectionEnd
