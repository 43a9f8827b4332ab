#include "FileProblemMessages.h"

#include "WException.h"
#include "WSystem.h"

const char* const FileProblemMessages::COASTLINE_FILE = "worldmap.txt";

namespace {

bool notFound(const WException& e)
{
    return dynamic_cast<const WFileNotFoundException*>(&e) != nullptr;
}

// The sentence of an outline map whose coastline file cannot be opened.
WString coastlineText(const char* consequence, const WException& e)
{
    WString text("Die Karte mit Umrissen kann nicht ");
    text += consequence;
    text += ", weil die Datei »";
    text += FileProblemMessages::COASTLINE_FILE;
    text += notFound(e) ? "« fehlt." : "« nicht gelesen werden kann.";
    text += "\r\nWählen Sie im Menü »Ansicht« unter »Karte« das »Satellitenfoto« oder "
            "»Land/Wasser«, oder legen Sie eine lesbare Datei »";
    text += FileProblemMessages::COASTLINE_FILE;
    text += "« in den Ordner des Programms.";
    return text;
}

} // namespace

void FileProblemMessages::dataSet(const char* name, const WException& e)
{
    // Joined, not formatted: a name of any length keeps the sentence's end.
    WString text("Der Datensatz »");
    text += name;
    text += notFound(e) ? "« wurde nicht gefunden." : "« kann nicht gelesen werden.";
    text += " Die Karte bleibt leer.\r\nWählen Sie mit »Datensatz laden« einen anderen Datensatz.";
    WSystem::showException(owner, e, text);
}

void FileProblemMessages::importRefused(const char* file, const char* reason)
{
    // The name only: the importer's line below names the whole path.
    WString name;
    WSystem::extractPath(file, name, true);
    WString text("Die Datei »");
    text += name;
    text += "« kann nicht importiert werden; es wurde nichts geschrieben.\r\nWählen Sie eine "
            "netCDF-Datei mit Temperaturdaten, zum Beispiel HadCRUT5 vom Met Office.\r\n\r\n";
    text += reason;
    WSystem::showMessage(owner, text, "Error", true);
}

void FileProblemMessages::coastlinesForMap(const WException& e)
{
    if (firstTime(COASTLINE_FILE))
        WSystem::showException(owner, e, coastlineText("gezeichnet werden", e));
}

void FileProblemMessages::coastlinesForSaving(const WException& e)
{
    told.insert(COASTLINE_FILE);
    WSystem::showException(owner, e, coastlineText("gespeichert werden", e));
}

void FileProblemMessages::backgroundPicture(const char* name, const WException& e)
{
    if (!firstTime(name))
        return;
    WString text("Das Hintergrundbild »");
    text += name;
    if (WSystem::existsFile(name, false))
        text += "« ist beschädigt oder kein Bild. Die Karte wird ohne Bild gezeichnet.\r\n"
                "Wählen Sie im Menü »Ansicht« unter »Karte« eine andere Karte, oder ersetzen "
                "Sie das Bild im Ordner des Programms.";
    else
        text += "« fehlt. Die Karte wird ohne Bild gezeichnet.\r\nWählen Sie im Menü »Ansicht« "
                "unter »Karte« eine andere Karte, oder legen Sie das Bild in den Ordner des "
                "Programms.";
    WSystem::showException(owner, e, text);
}

bool FileProblemMessages::firstTime(const char* file)
{
    return told.insert(file).second;
}
