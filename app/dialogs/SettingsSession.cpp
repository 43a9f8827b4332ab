#include "SettingsSession.h"

#include "PositionCollection.h"
#include "WException.h"
#include "WSystem.h"

namespace {

const char* const unreadableInit =
    "»init.txt« ist vorhanden, konnte aber nicht gelesen werden. Das Programm startet mit den "
    "Grundeinstellungen. Änderungen an den Einstellungen werden in dieser Sitzung nicht "
    "gespeichert, damit die Datei nicht mit den Grundeinstellungen überschrieben wird. "
    "Schließen Sie Programme, die die Datei geöffnet haben, prüfen Sie Ihre Zugriffsrechte und "
    "starten Sie das Programm neu.";
const char* const unreadablePositions =
    "»positions.txt« ist vorhanden, konnte aber nicht vollständig gelesen werden. Änderungen "
    "an den Positionen werden in dieser Sitzung nicht gespeichert, damit die Positionen in der "
    "Datei nicht verloren gehen. Schließen Sie Programme, die die Datei geöffnet haben, prüfen "
    "Sie Ihre Zugriffsrechte und starten Sie das Programm neu.";
const char* const unwritableInit =
    "Konfiguration konnte nicht gespeichert werden: »init.txt« ließ sich nicht schreiben. Beim "
    "nächsten Start gelten die zuletzt gespeicherten Einstellungen. Prüfen Sie, ob Sie im "
    "Programmordner schreiben dürfen und ob ein anderes Programm die Datei geöffnet hat.";
const char* const unwritablePositions =
    "Konfiguration konnte nicht gespeichert werden: »positions.txt« ließ sich nicht schreiben. "
    "Die Datei ist unverändert, neue und geänderte Positionen dieser Sitzung sind nicht "
    "gespeichert. Prüfen Sie, ob Sie im Programmordner schreiben dürfen und ob ein anderes "
    "Programm die Datei geöffnet hat.";

} // namespace

SettingsSession::SettingsSession(const char* initFile, const char* positionsFile)
    : initFile(initFile), positionsFile(positionsFile), initFileKept(false),
      positionsFileKept(false)
{
}

void SettingsSession::load(WWindowContext* owner, ProgramSettings& settings,
                           PositionCollection& positions)
{
    initFileKept = false;
    positionsFileKept = false;
    try {
        SettingsFiles::readSettings(initFile, settings);
    } catch (const WFileNotFoundException&) {
        // No settings yet: the defaults.
    } catch (const WException& e) {
        initFileKept = true;
        WSystem::showException(owner, e, unreadableInit);
    }
    // Read also without init.txt: positions.txt is written at the end, and
    // positions not read would then be lost.
    try {
        SettingsFiles::readPositions(positionsFile, positions);
    } catch (const WFileNotFoundException&) {
        // No positions yet.
    } catch (const WException& e) {
        positionsFileKept = true;
        WSystem::showException(owner, e, unreadablePositions);
    }
}

void SettingsSession::save(WWindowContext* owner, const ProgramSettings& settings,
                           PositionCollection& positions)
{
    // Failures of the files themselves are the user's to mend and are
    // explained here; any other failure goes to the caller.
    if (!initFileKept) {
        try {
            SettingsFiles::writeSettings(initFile, settings);
        } catch (const WFileException& e) {
            WSystem::showException(owner, e, unwritableInit);
        } catch (const WFileNotFoundException& e) {
            WSystem::showException(owner, e, unwritableInit);
        }
    }
    if (!positionsFileKept) {
        try {
            SettingsFiles::writePositions(positionsFile, positions);
        } catch (const WFileException& e) {
            WSystem::showException(owner, e, unwritablePositions);
        } catch (const WFileNotFoundException& e) {
            WSystem::showException(owner, e, unwritablePositions);
        }
    }
}
