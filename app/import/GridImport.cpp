#include "GridImport.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <memory>

#include "AtomicFile.h"
#include "CoverageSummary.h"
#include "FileNameText.h"
#include "GridBlocks.h"
#include "GridLayout.h"
#include "ImportFailure.h"
#include "ImportFolders.h"
#include "ImportSource.h"
#include "ImportText.h"
#include "LibraryLock.h"
#include "MonthText.h"
#include "NetcdfFile.h"
#include "YearRange.h"

namespace {

// Input values handled at once: bounds the memory a 1-degree input needs;
// and at most ten years at once, so that progress moves.
const size_t CHUNK_VALUES = 4000000;
const int CHUNK_MONTHS = 120;

bool isFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesW(systemFileName(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// folder joined with name as os.path.join does; with '/' where the folder
// is written with '/' only (a path as Wine's tests give it), else with '\'.
std::string joinedPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    char last = folder.back();
    if (last == '\\' || last == '/' || (folder.size() == 2 && last == ':'))
        return folder + name;
    bool slashes = folder.find('/') != std::string::npos && folder.find('\\') == std::string::npos;
    return folder + (slashes ? "/" : "\\") + name;
}

std::string baseName(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string decimalComma(std::string text) {
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

// The source ready to read, every step of ImportSource done.
void prepare(ImportSource& source, const ImportRequest& request) {
    source.findAxes();
    source.chooseLevel(request.hasLevel, request.level);
    source.mapGrid();
    source.placeTimeSteps();
}

// The time steps that fall on or after January 1850, ascending.
std::vector<int> keptSteps(const ImportSource& source) {
    std::vector<int> steps;
    for (size_t i = 0; i < source.blocks().size(); ++i)
        if (source.blocks()[i] >= 1)
            steps.push_back(int(i));
    if (steps.empty())
        throw ImportFailure(formatted("all %zu time steps lie before January %d", source.steps(), FIRST_YEAR),
                            formatted("alle %zu Zeitschritte liegen vor Januar %d", source.steps(), FIRST_YEAR));
    return steps;
}

std::string headerText(const GridLayout& layout, int block, const std::string& variable, const std::string& input) {
    if (layout.name == "abstem3")
        return formatted("month %02d", block);
    std::string month = monthText(block);
    month.erase(4, 1);
    return month + " " + variable + " " + input;
}

CoverageSummary write(ImportSource& source, const std::vector<int>& steps, const GridLayout& layout,
                      const std::string& path, const std::string& inputName, ImportProgress& progress) {
    std::vector<int64_t> blocks;
    for (int step : steps)
        blocks.push_back(source.blocks()[size_t(step)]);
    // Blocks end at December 9999 (the time axis refuses later months), so they fit an int.
    int total = int(*std::max_element(blocks.begin(), blocks.end()));
    size_t perMonth = std::max<size_t>(1, source.latitude().size * source.longitude().size);
    int chunk = int(std::max<size_t>(1, std::min<size_t>(CHUNK_MONTHS, CHUNK_VALUES / perMonth)));
    CoverageSummary summary(total);
    std::string variable = shownName(source.variable());
    int done = 0;
    // Buffers of one slice, reused: a multi-GB input is read in slices
    // whose memory stays the same.
    std::vector<double> values, mapped, cells;
    std::vector<int> chosen;
    std::vector<int64_t> places;
    std::vector<std::string> headers;
    std::string bytes;
    std::vector<unsigned char> valid;
    AtomicFile out(path);
    for (int first = 1; first <= total; first += chunk) {
        if (progress.cancelled())
            throw ImportCancelled();
        int last = std::min(total, first + chunk - 1), months = last - first + 1;
        cells.assign(size_t(months) * GridLayout::cells, std::numeric_limits<double>::quiet_NaN());
        chosen.clear();
        places.clear();
        for (size_t i = 0; i < steps.size(); ++i)
            if (blocks[i] >= first && blocks[i] <= last) {
                chosen.push_back(steps[i]);
                places.push_back(blocks[i] - first);
            }
        if (!chosen.empty()) {
            source.read(chosen, values);
            mapped.resize(chosen.size() * GridLayout::cells);
            source.mapping().apply(values.data(), int(chosen.size()), mapped.data());
            for (size_t k = 0; k < chosen.size(); ++k)
                std::copy_n(&mapped[k * GridLayout::cells], GridLayout::cells,
                            &cells[size_t(places[k]) * GridLayout::cells]);
            done += int(chosen.size());
            progress.advance(done, int(steps.size()));
        }
        headers.clear();
        for (int block = first; block <= last; ++block)
            headers.push_back(headerText(layout, block, variable, inputName));
        formatGridBlocks(layout, headers, cells.data(), bytes, valid);
        summary.add(first, valid.data(), months);
        out.write(bytes.data(), bytes.size());
    }
    if (summary.firstBlockWithData() == 0)
        throw ImportFailure("no value of '" + variable + "' lies strictly inside -99..99 degrees; nothing written",
                            "kein Wert von '" + variable + "' liegt echt zwischen -99 und 99 Grad; nichts geschrieben");
    out.commit();
    return summary;
}

// The report's lines, in English as the console prints them and in German.
class ReportLines {
public:
    explicit ReportLines(ImportReport& report) : report(report) {}
    void add(const std::string& english, const std::string& german) {
        report.english.push_back(english);
        report.german.push_back(german);
    }

private:
    ImportReport& report;
};

ImportReport reported(const ImportSource& source, const GridLayout& layout, const std::string& path,
                      const CoverageSummary& summary, bool climatology) {
    ImportReport report;
    report.path = path;
    ReportLines lines(report);
    int first = summary.firstBlockWithData(), last = summary.lastBlockWithData();
    report.lastMonthWithData = last;
    double latitudeStep = source.mapping().latitudeStep(), longitudeStep = source.mapping().longitudeStep();
    bool own = latitudeStep == 5.0 && longitudeStep == 5.0;
    std::string steps = formatted("%g x %g", latitudeStep, longitudeStep);
    std::string name = "'" + shownName(source.variable()) + "'";
    std::string shown = shownText(path);
    lines.add(shown + ": " + name + " (" + steps + " degrees" + (own ? "" : ", averaged onto 5 x 5") +
                  "), read with netCDF-C",
              shown + ": " + name + " (" + steps + " Grad" + (own ? "" : ", gemittelt auf 5 x 5") +
                  "), gelesen mit netCDF-C");

    const NetcdfVariable& v = source.variable();
    std::string longName = v.text("long_name"), units = utf8ToCp1252(v.text("units"));
    std::string quoted = longName.empty() ? "" : "\"" + utf8ToCp1252(longName) + "\", ";
    bool converted = source.offset() != 0.0;
    lines.add("  variable:         " + name + " (" + quoted + "units " + (units.empty() ? "none" : units) +
                  (converted ? ", converted to degrees C" : "") + "), " + source.howChosen().howEnglish,
              "  Variable:         " + name + " (" + quoted + (units.empty() ? "ohne Einheit" : "Einheit " + units) +
                  (converted ? ", umgerechnet in Grad C" : "") + "), " + source.howChosen().howGerman);
    if (const Axis* level = source.level()) {
        std::string value = levelText(source.levelValue());
        lines.add("  level:            " + value + " on the axis " + level->describe() +
                      formatted(", level %d of %zu", source.levelIndex() + 1, level->size),
                  "  Stufe:            " + value + " auf der Achse " + level->describe() +
                      formatted(", Stufe %d von %zu", source.levelIndex() + 1, level->size));
    }
    if (source.repeatsFirstColumn()) {
        std::string west = levelText(source.repeatedWest()), east = levelText(source.repeatedEast());
        std::string english, german;
        if (source.differingValues()) {
            english = formatted("; %lld of its values differ from the first column's, the first column's were used",
                                (long long)source.differingValues());
            german = formatted("; %lld ihrer Werte weichen von denen der ersten Spalte ab, diese wurden genommen",
                               (long long)source.differingValues());
        }
        lines.add("  note: the last longitude (" + east + ") repeats the first (" + west + ") and was left out" +
                      english,
                  "  Hinweis: die letzte Länge (" + east + ") wiederholt die erste (" + west +
                      ") und wurde weggelassen" + german);
    }
    if (climatology) {
        std::string coverage = formatted("%.1f", summary.meanCoverage(1, summary.blocks()));
        lines.add(formatted("  months written:   12 (climatology, block 1 = January), %d bytes each", layout.blockSize),
                  formatted("  Monate:           12 (Klimatologie, Block 1 = Januar), je %d Bytes", layout.blockSize));
        lines.add("  mean coverage:    " + coverage + " % of the earth's surface",
                  "  Abdeckung:        " + decimalComma(coverage) + " % der Erdoberfläche im Mittel");
        return report;
    }
    lines.add(formatted("  months written:   %d (", summary.blocks()) + monthText(1) + " to " +
                  monthText(summary.blocks()) + formatted("), %d bytes each", layout.blockSize),
              formatted("  Monate:           %d (", summary.blocks()) + monthText(1) + " bis " +
                  monthText(summary.blocks()) + formatted("), je %d Bytes", layout.blockSize));
    lines.add("  data:             " + monthText(first) + " to " + monthText(last) +
                  " (first and last month with data)",
              "  Daten:            " + monthText(first) + " bis " + monthText(last) +
                  " (erster und letzter Monat mit Daten)");
    int start = std::max(first, last - 119);
    std::string coverage = formatted("%.1f", summary.meanCoverage(start, last));
    lines.add("  mean coverage:    " + coverage + " % of the earth's surface (" + monthText(start) + " to " +
                  monthText(last) + ")",
              "  Abdeckung:        " + decimalComma(coverage) + " % der Erdoberfläche im Mittel (" +
                  monthText(start) + " bis " + monthText(last) + ")");

    int64_t lowest = 0, highest = 0, kept = 0, early = 0, earliest = 0, latest = 0;
    for (int64_t block : source.blocks()) {
        if (block >= 1) {
            lowest = kept ? std::min(lowest, block) : block;
            highest = kept ? std::max(highest, block) : block;
            ++kept;
        } else {
            earliest = early ? std::min(earliest, block) : block;
            latest = early ? std::max(latest, block) : block;
            ++early;
        }
    }
    if (lowest > 1)
        lines.add("  note: " + monthText(1) + " to " + monthText(lowest - 1) + " precede the input and have no data",
                  "  Hinweis: " + monthText(1) + " bis " + monthText(lowest - 1) +
                      " liegen vor dem Beginn der Datei und haben keine Daten");
    if (int64_t gaps = (highest - lowest + 1) - kept)
        lines.add(formatted("  note: %lld month(s) between ", (long long)gaps) + monthText(lowest) + " and " +
                      monthText(highest) + " have no time step in the input and no data",
                  formatted("  Hinweis: %lld Monat(e) zwischen ", (long long)gaps) + monthText(lowest) + " und " +
                      monthText(highest) + " haben keinen Zeitschritt in der Datei und keine Daten");
    if (early)
        lines.add(formatted("  note: %lld month(s) before January %d left out (", (long long)early, FIRST_YEAR) +
                      monthText(earliest) + " to " + monthText(latest) + ")",
                  formatted("  Hinweis: %lld Monat(e) vor Januar %d weggelassen (", (long long)early, FIRST_YEAR) +
                      monthText(earliest) + " bis " + monthText(latest) + ")");
    return report;
}

}  // namespace

bool isClimatologyTarget(const std::string& target) {
    return target == "abstem3";
}

ImportPreview previewImport(const ImportRequest& request) {
    LibraryLock lock;
    NetcdfFile file(request.input);
    ImportPreview preview;
    preview.climatology = isClimatologyTarget(request.target);
    std::vector<const NetcdfVariable*> candidates = candidatesOf(file);
    for (const NetcdfVariable* v : candidates)
        preview.candidates.push_back(
            {shownName(*v), utf8ToCp1252(v->text("long_name")), utf8ToCp1252(v->text("units")), v->name()});
    try {
        ImportSource source(file, request.variable, preview.climatology);
        auto chosen = std::find(candidates.begin(), candidates.end(), &source.variable());
        preview.chosen = chosen == candidates.end() ? -1 : int(chosen - candidates.begin());
        source.findAxes();
        if (const Axis* level = source.level()) {
            preview.levelAxis = level->describe();
            for (double value : level->values())
                preview.levels.push_back(levelText(value));
            preview.levelNeeded = level->size > 1 && !request.hasLevel;
        }
        source.chooseLevel(request.hasLevel, request.level);
        source.mapGrid();
        preview.grid = formatted("%g x %g Grad, %zu x %zu Zellen", source.mapping().latitudeStep(),
                                 source.mapping().longitudeStep(), source.latitude().size,
                                 source.longitude().size - source.repeatsFirstColumn());
        source.placeTimeSteps();
        std::vector<int> steps = keptSteps(source);
        auto kept = [&](int step) { return int(source.blocks()[size_t(step)]); };
        preview.firstMonth = kept(steps.front());
        preview.lastMonth = kept(steps.front());
        for (int step : steps) {
            preview.firstMonth = std::min(preview.firstMonth, kept(step));
            preview.lastMonth = std::max(preview.lastMonth, kept(step));
        }
    } catch (const ImportFailure& failure) {
        preview.problemEnglish = failure.english();
        preview.problemGerman = failure.german();
    }
    return preview;
}

ImportReport runImport(const ImportRequest& request, ImportProgress& progress) {
    const GridLayout* layout = gridLayoutByName(request.target);
    if (!layout)
        throw ImportFailure("there is no grid file '" + request.target + "'",
                            "es gibt keinen Datensatz '" + request.target + "'");
    bool climatology = isClimatologyTarget(layout->name);
    LibraryLock lock;
    NetcdfFile file(request.input);
    ImportSource source(file, request.variable, climatology);
    prepare(source, request);
    std::vector<int> steps = keptSteps(source);
    if (!isFolder(request.outDir))
        throw ImportFailure("the output folder " + shownText(request.outDir) + " does not exist",
                            "der Ausgabeordner " + shownText(request.outDir) + " existiert nicht");
    std::string folder = joinedPath(joinedPath(request.outDir, "data"), "cru");
    std::vector<std::string> created = createFolders(folder);
    std::string path = joinedPath(folder, layout->fileName());
    std::unique_ptr<CoverageSummary> summary;
    try {
        summary = std::make_unique<CoverageSummary>(
            write(source, steps, *layout, path,
                  shownText(request.inputName.empty() ? baseName(request.input) : request.inputName), progress));
    } catch (...) {  // a failed or cancelled import leaves no trace
        removeFolders(created);
        throw;
    }
    return reported(source, *layout, path, *summary, climatology);
}
