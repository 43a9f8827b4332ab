#include "SettingsFiles.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "PositionCollection.h"
#include "WException.h"
#include "WFile.h"
#include "WInitFile.h"
#include "WStringTokenizer.h"

const char* const SettingsFiles::INIT_FILE = "init.txt";
const char* const SettingsFiles::POSITIONS_FILE = "positions.txt";

namespace {

const char* const separator = "=";
const int positionFields = 9;
const size_t writeBlockSize = 65536;

// Writes a file by writing a temporary file beside it and moving that over
// the old one once it is complete. The temporary file is removed when the
// writing fails.
class ReplacingWrite {
public:
    explicit ReplacingWrite(const char* fileName)
        : target(fileName), temporary(fileName), committed(false)
    {
        temporary.append(".new");
    }
    ReplacingWrite(const ReplacingWrite&) = delete;
    ReplacingWrite& operator=(const ReplacingWrite&) = delete;
    ~ReplacingWrite()
    {
        if (!committed)
            DeleteFileW(wide(temporary).name);
    }

    const char* getTemporaryName() const { return temporary; }

    void commit()
    {
        if (!MoveFileExW(wide(temporary).name, wide(target).name,
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throw WFileException(
                WFormattedString("Cannot replace file: %s", static_cast<const char*>(target)), -3);
        committed = true;
    }

private:
    struct WideName {
        wchar_t name[MAX_PATH + 1];
    };
    // File names are UTF-8, like every file name the library takes.
    static WideName wide(const char* name)
    {
        WideName result;
        if (MultiByteToWideChar(CP_UTF8, 0, name, -1, result.name, MAX_PATH + 1) == 0)
            result.name[0] = 0;
        return result;
    }

    WString target;
    WString temporary;
    bool committed;
};

int readPositive(const WInitFile& file, const char* key, int defaultValue)
{
    int value = file.getIntValue(key, 0);
    return value != 0 ? value : defaultValue;
}

} // namespace

void SettingsFiles::readSettings(const char* fileName, ProgramSettings& settings)
{
    WInitFile file;
    file.open(fileName, separator);
    ProgramSettings defaults;
    const char* dataFile = file.getValue("DB_FILE");
    settings.dataFile = *dataFile != 0 ? dataFile : static_cast<const char*>(defaults.dataFile);
    settings.year = readPositive(file, "YEAR", defaults.year);
    settings.month = readPositive(file, "MONTH", defaults.month);
    settings.mapType = readPositive(file, "MAP_TYPE", defaults.mapType);
    settings.scalePercent = readPositive(file, "SCALE_PERCENT", defaults.scalePercent);
    // A window far too small to use or too large to render would keep the
    // program from ever showing a usable map again.
    if (settings.scalePercent < MIN_SCALE_PERCENT || settings.scalePercent > MAX_SCALE_PERCENT)
        settings.scalePercent = defaults.scalePercent;
    settings.yearAverage = file.getFlagValue("YEAR_AVERAGE");
    settings.orthographic = file.getFlagValue("ORTH_VIEW");
    // A period the program cannot have written is read as "as stored".
    int first = file.getIntValue("REFERENCE_FIRST", 0);
    int last = file.getIntValue("REFERENCE_LAST", 0);
    if (first > 0 && last > first) {
        settings.referenceFirstYear = first;
        settings.referenceLastYear = last;
        settings.referenceGlobal = WString(file.getValue("REFERENCE_METHOD")).equals("global");
    }
    int season = file.getIntValue("SEASON", 0);
    settings.season = season >= 1 && season <= 4 ? season : 0;
}

void SettingsFiles::readPositions(const char* fileName, PositionCollection& positions)
{
    WFile file(fileName);
    WString line;
    WStringTokenizer fields;
    while (file.readln(line)) {
        line.trim();
        if (line.length() == 0 || line.startsWith('#'))
            continue;
        if (fields.parse(line, "\t", false) < positionFields)
            continue;
        Position position;
        int values[positionFields - 1];
        fields.reset();
        position.name = fields.nextValue();
        for (int i = 0; i < positionFields - 1; ++i)
            values[i] = static_cast<int>(std::strtol(fields.nextValue(), nullptr, 10));
        GmsCoordinates& c = position.coordinates;
        c.latDegrees = values[0];
        c.latMinutes = values[1];
        c.latSeconds = values[2];
        c.latSouth = values[3];
        c.lonDegrees = values[4];
        c.lonMinutes = values[5];
        c.lonSeconds = values[6];
        c.lonWest = values[7];
        positions.add(position, false);
    }
}

void SettingsFiles::writeSettings(const char* fileName, const ProgramSettings& settings)
{
    WInitFile file;
    file.putValue("DB_FILE", static_cast<const char*>(settings.dataFile));
    file.putValue("YEAR", settings.year);
    file.putValue("MONTH", settings.month);
    file.putValue("YEAR_AVERAGE", settings.yearAverage);
    file.putValue("SCALE_PERCENT", settings.scalePercent);
    file.putValue("MAP_TYPE", settings.mapType);
    file.putValue("ORTH_VIEW", settings.orthographic);
    // Written only when in use, so that the file of a run without them stays
    // as it always was.
    if (settings.referenceFirstYear > 0) {
        file.putValue("REFERENCE_FIRST", settings.referenceFirstYear);
        file.putValue("REFERENCE_LAST", settings.referenceLastYear);
        file.putValue("REFERENCE_METHOD", settings.referenceGlobal ? "global" : "cell");
    }
    if (settings.season > 0)
        file.putValue("SEASON", settings.season);
    ReplacingWrite write(fileName);
    file.save(write.getTemporaryName(), separator);
    write.commit();
}

void SettingsFiles::writePositions(const char* fileName, PositionCollection& positions)
{
    ReplacingWrite write(fileName);
    {
        WFile file;
        file.create(write.getTemporaryName(), false);
        // The lines go out in blocks: a system call or two per position
        // would cost more than all the rest.
        std::string block;
        positions.reset();
        while (positions.hasMoreElements()) {
            const Position& p = positions.nextPosition();
            const GmsCoordinates& c = p.coordinates;
            // The name on its own: formatted texts are cut at 1024 characters.
            block.append(p.name, p.name.length());
            block.append(WFormattedString("\t%i\t%i\t%i\t%i\t%i\t%i\t%i\t%i\r\n", c.latDegrees,
                                          c.latMinutes, c.latSeconds, c.latSouth, c.lonDegrees,
                                          c.lonMinutes, c.lonSeconds, c.lonWest));
            if (block.size() >= writeBlockSize) {
                file.write(block.data(), static_cast<unsigned long>(block.size()));
                block.clear();
            }
        }
        positions.reset();
        file.write(block.data(), static_cast<unsigned long>(block.size()));
        file.flush();
    }
    write.commit();
}

const char* SettingsFiles::positionNameProblem(const WString& name)
{
    const char* text = name;
    const unsigned long length = name.length();
    if (length == 0)
        return "Bitte geben Sie einen Namen ein.";
    for (unsigned long i = 0; i < length; ++i) {
        switch (text[i]) {
        case '\t':
            return "Der Name darf keinen Tabulator enthalten: er trennt in »positions.txt« die "
                   "Angaben einer Position.";
        case '\n':
            return "Der Name darf keinen Zeilenumbruch enthalten: in »positions.txt« steht jede "
                   "Position auf einer Zeile.";
        case '\0':
            return "Der Name darf kein Nullzeichen enthalten: beim Lesen von »positions.txt« "
                   "endet die Zeile dort.";
        }
    }
    switch (text[0]) {
    case ' ':
        return "Der Name darf nicht mit einem Leerzeichen beginnen: Leerzeichen am Zeilenanfang "
               "entfallen in »positions.txt«.";
    case '\r':
        return "Der Name darf nicht mit einem Wagenrücklauf beginnen: er entfällt am "
               "Zeilenanfang in »positions.txt«.";
    case '#':
        return "Der Name darf nicht mit »#« beginnen: solche Zeilen gelten in »positions.txt« "
               "als Kommentar.";
    }
    return nullptr;
}
