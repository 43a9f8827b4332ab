// orvex_render: the map of Orvex Visualizer rendered without a window, as
// one picture or as an animated GIF of a range of months, or the data set's
// time-series chart or warming stripes. A console program on the map,
// chart and image-output libraries; --help tells the options.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "ChartPainter.h"
#include "ChartSaver.h"
#include "ChartSeries.h"
#include "ChartTable.h"
#include "CsvFieldWriter.h"
#include "FieldChoice.h"
#include "FileNames.h"
#include "GridFileProbe.h"
#include "MapAnimation.h"
#include "MapSaver.h"
#include "MonthText.h"
#include "DesignResolution.h"
#include "OrvexMap.h"
#include "RenderOptions.h"
#include "ReplacementFile.h"
#include "SettingsFiles.h"
#include "StripesPainter.h"
#include "WException.h"
#include "WSystem.h"
#include "YearRange.h"

namespace {

const int exitWriteFailed = 1;
const int exitBadInput = 2;
// As a shell reports a program ended by Ctrl+C.
const int exitInterrupted = 130;

// Set by Ctrl+C or Ctrl+Break; the frame loop and the single picture stop
// at it, before their file replaces --out.
std::atomic<bool> interrupted{false};

BOOL WINAPI onConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    interrupted = true;
    return TRUE;
}

// A message of the library (Windows-1252) as UTF-8.
std::string messageText(const WException& e)
{
    const char* text = e.getMessage();
    int n = MultiByteToWideChar(1252, 0, text, -1, nullptr, 0);
    std::wstring wide(n > 0 ? n : 1, L'\0');
    MultiByteToWideChar(1252, 0, text, -1, &wide[0], n);
    return utf8FileName(wide.c_str());
}

// The arguments as UTF-8, whatever the ANSI code page.
std::vector<std::string> commandLineArguments()
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; i++)
        arguments.push_back(utf8FileName(wide[i]));
    LocalFree(wide);
    return arguments;
}

// A name relative to the folder the user called from, made absolute before
// the program moves to its own folder.
std::string absolute(const std::string& name)
{
    std::wstring wide = wideFileName(name.c_str());
    wchar_t full[MAX_PATH * 4];
    DWORD n = wide.empty() ? 0 : GetFullPathNameW(wide.c_str(), MAX_PATH * 4, full, nullptr);
    return n > 0 && n < MAX_PATH * 4 ? utf8FileName(full) : name;
}

// The data sets, background pictures and coastlines lie beside the program.
void moveToProgramFolder()
{
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring folder(path, n);
    folder = folder.substr(0, folder.find_last_of(L"\\/"));
    SetCurrentDirectoryW(folder.c_str());
}

bool fileExists(const std::string& name)
{
    DWORD attributes = GetFileAttributesW(wideFileName(name.c_str()).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether the output can be written: a file can be made beside it, and it
// is no folder and no write-protected file. An existing file is not touched.
bool canWrite(const std::string& name)
{
    DWORD attributes = GetFileAttributesW(wideFileName(name.c_str()).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return false;
    return ReplacementFile(name.c_str()).isReserved();
}

void print(FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

// Every month the picture or animation needs must lie in the data set. A
// year average needs only its January there: like the program, it averages
// the months of the year that the data set has.
void checkMonths(const RenderOptions& options, OrvexDatabase& database)
{
    const long long months = database.getMonthCount();
    if (options.trend)
        return;
    if (options.seasons) {
        try {
            checkSeason(options.firstYear, options.firstMonth, database.getMonthCount());
            if (options.range)
                checkSeason(options.lastYear, options.lastMonth, database.getMonthCount());
        } catch (const FieldChoiceError& e) {
            throw RenderInputError(messageText(e));
        }
        return;
    }
    auto check = [&](unsigned int year, unsigned int month) {
        long long needed = monthNumber(year, options.yearAverage ? 1 : month);
        if (needed < 1 || needed > months) {
            std::string what = options.yearAverage ? std::to_string(year)
                                                   : monthText(monthNumber(year, month));
            throw RenderInputError(what + u8" liegt nicht im Datensatz (" + monthText(1) +
                                   " bis " + monthText(months > 0 ? months : 1) + ")");
        }
    };
    check(options.firstYear, options.firstMonth);
    if (options.range)
        check(options.lastYear, options.lastMonth);
}

// The map of the options' view, with its data set open; throws
// RenderInputError for a data set or positions file that cannot be read.
// The data set's file may lie anywhere under any name: its block size comes
// from its file name when that is a data set's, else from its content.
void prepareMap(OrvexMap& map, const RenderOptions& options, const std::string& dataFile,
                const std::string& positionsFile)
{
    try {
        map.database.open(OrvexDatabase::TYPE_GRID_FILE, dataFile.c_str(),
                          gridFileBlockSize(dataFile));
    } catch (const WException& e) {
        throw RenderInputError(u8"Datensatz \"" + options.data + u8"\" nicht lesbar: " +
                               messageText(e));
    }
    checkMonths(options, map.database);
    if (!positionsFile.empty()) {
        try {
            SettingsFiles::readPositions(positionsFile.c_str(), map.positions);
        } catch (const WException& e) {
            throw RenderInputError(u8"Positionen \"" + options.positions +
                                   u8"\" nicht lesbar: " + messageText(e));
        }
    }
    map.mapType = options.mapType;
    map.setScale(options.scalePercent, DesignResolution::designDpi);
    map.orthographic = options.globe;
    if (options.centreGiven) {
        map.globeCentreLon = options.centreLongitude * 0.005555555555555556 * 3.14159265;
        map.globeCentreLat = options.centreLatitude * 0.011111111111111112 * 1.570796325;
    }
    try {
        map.loadBackgroundPicture();
    } catch (const WException& e) {
        throw RenderInputError(u8"Hintergrundbild nicht lesbar: " + messageText(e));
    }
    try {
        map.database.setReference(options.reference);
        if (options.trend)
            map.database.loadTrend(options.trendSpan);
        else if (options.seasons)
            map.database.loadSeason(options.firstYear, options.firstMonth);
        else
            map.database.load(options.firstYear, options.firstMonth, options.yearAverage);
    } catch (const FieldChoiceError& e) {
        throw RenderInputError(messageText(e));
    }
}

// The shown field as a table, replacing --out only when complete.
bool writeTable(const OrvexMap& map, const std::string& out)
{
    ReplacementFile output(out.c_str());
    if (!output.isReserved())
        throw WException("Die Tabelle kann nicht geschrieben werden.", -3);
    CsvFieldWriter::write(output.getName(), map.database);
    if (!output.commit())
        throw WException(output.getLastError(), -3);
    return true;
}

// Frames done of total on stderr, at most once a second and at the end.
class ProgressLine {
public:
    bool operator()(int done, int total)
    {
        DWORD now = GetTickCount();
        if (done == total || now - lastShown >= 1000) {
            lastShown = now;
            print(stderr, "orvex-render: " + std::to_string(done) + " / " +
                              std::to_string(total) + " Bilder\n");
        }
        return !interrupted;
    }

private:
    DWORD lastShown = GetTickCount();
};

// The chart or stripes of the options: the data set's series under the
// reference, the months of --from/--to or all, as a picture or a table.
bool renderChart(const RenderOptions& options, const std::string& out, const std::string& dataFile,
                 const std::string& positionsFile)
{
    OrvexDatabase database;
    PositionCollection positions;
    try {
        database.open(OrvexDatabase::TYPE_GRID_FILE, dataFile.c_str(), gridFileBlockSize(dataFile));
    } catch (const WException& e) {
        throw RenderInputError(u8"Datensatz \"" + options.data + u8"\" nicht lesbar: " +
                               messageText(e));
    }
    if (!positionsFile.empty()) {
        try {
            SettingsFiles::readPositions(positionsFile.c_str(), positions);
        } catch (const WException& e) {
            throw RenderInputError(u8"Positionen \"" + options.positions + u8"\" nicht lesbar: " +
                                   messageText(e));
        }
    }
    long long months = database.getMonthCount();
    long long first = 1, last = months;
    if (options.chartRange) {
        first = monthNumber(options.firstYear, options.firstMonth);
        last = monthNumber(options.lastYear, options.lastMonth);
        if (first < 1 || last > months)
            throw RenderInputError(monthText(first < 1 ? first : last) +
                                   u8" liegt nicht im Datensatz (" + monthText(1) + " bis " +
                                   monthText(months > 0 ? months : 1) + ")");
    }
    unsigned int lastYear =
        FIRST_YEAR + static_cast<unsigned int>(months > 0 ? (months - 1) / 12 : 0);
    if (options.trend &&
        (options.trendSpan.firstYear < FIRST_YEAR || options.trendSpan.lastYear > lastYear))
        throw RenderInputError(u8"--trend " + std::to_string(options.trendSpan.firstYear) + "-" +
                               std::to_string(options.trendSpan.lastYear) +
                               u8" liegt nicht im Datensatz (" + std::to_string(FIRST_YEAR) +
                               " bis " + std::to_string(lastYear) + ")");
    try {
        database.setReference(options.reference);
    } catch (const FieldChoiceError& e) {
        throw RenderInputError(messageText(e));
    }
    ChartSeries series(database, positions);

    ChartOptions chart;
    chart.hemispheres = options.chart == RenderOptions::Chart::Hemispheres;
    chart.positions = options.chart == RenderOptions::Chart::Positions;
    chart.trend = options.trend;
    chart.trendFirstYear = options.trendSpan.firstYear;
    chart.trendLastYear = options.trendSpan.lastYear;
    chart.runningYears = options.runningYears;
    chart.coverage = static_cast<ChartOptions::Coverage>(options.coverage);
    if (options.output == RenderOptions::Output::Csv) {
        writeChartTable(out.c_str(), series, chart, first, last);
        return true;
    }
    ChartSaver::Draw draw;
    ChartView view(series.monthCount());
    view.showMonths(first, last);
    if (options.chart == RenderOptions::Chart::Stripes) {
        StripesOptions stripes;
        stripes.labels = options.labels;
        stripes.firstYear = options.chartRange ? options.firstYear : 0;
        stripes.lastYear = options.chartRange ? options.lastYear : 0;
        if (options.position != 0) {
            const std::vector<PositionSeries>& list = series.positions();
            auto found = std::find_if(list.begin(), list.end(), [&](const PositionSeries& p) {
                return p.number == options.position;
            });
            if (found == list.end())
                throw RenderInputError(u8"Position " + std::to_string(options.position) +
                                       u8" steht nicht in \"" + options.positions + "\"");
            stripes.position = static_cast<int>(found - list.begin());
        }
        draw = [&series, stripes](HDC dc, int width, int height) {
            StripesPainter(&series, stripes).paint(dc, width, height);
        };
    } else {
        draw = [&series, chart, view](HDC dc, int width, int height) {
            ChartPainter(&series, chart, view).paint(dc, width, height);
        };
    }
    if (interrupted)
        return false;
    ChartSaver(draw, options.width, options.height).save(out.c_str());
    return true;
}

int render(const RenderOptions& options)
{
    // Names the user gave are relative to the folder the program was
    // called from; the program's own files to the program's folder.
    std::string out = absolute(options.out);
    std::string dataFile = options.dataFile();
    bool named = dataFile != options.data;
    if (!named)
        dataFile = absolute(dataFile);
    std::string positionsFile = options.positions.empty() ? "" : absolute(options.positions);
    moveToProgramFolder();
    if (!fileExists(dataFile))
        throw RenderInputError(u8"Datensatz \"" + options.data + u8"\" nicht gefunden");
    if (!positionsFile.empty() && !fileExists(positionsFile))
        throw RenderInputError(u8"Positionen \"" + options.positions + u8"\" nicht gefunden");
    if (!canWrite(out))
        throw RenderInputError(u8"\"" + options.out + u8"\" kann nicht geschrieben werden");

    OrvexMap map;
    if (options.chart == RenderOptions::Chart::None)
        prepareMap(map, options, dataFile, positionsFile);
    bool written;
    try {
        if (options.chart != RenderOptions::Chart::None) {
            written = renderChart(options, out, dataFile, positionsFile);
        } else if (options.range) {
            AnimationRange range;
            range.firstYear = options.firstYear;
            range.firstMonth = options.firstMonth;
            range.lastYear = options.lastYear;
            range.lastMonth = options.lastMonth;
            range.yearAverage = options.yearAverage;
            range.seasons = options.seasons;
            ProgressLine progress;
            written = MapAnimation(map, range)
                          .write(out.c_str(), static_cast<unsigned short>(options.delay),
                                 static_cast<unsigned short>(options.hold), options.loop,
                                 progress);
        } else if (options.output == RenderOptions::Output::Csv) {
            written = writeTable(map, out);
        } else {
            MapSaver saver(map, [] { return !interrupted; });
            if (options.output == RenderOptions::Output::Gif)
                written = saver.saveGif(out.c_str());
            else if (options.output == RenderOptions::Output::Jpeg)
                written = saver.saveJpeg(out.c_str());
            else if (options.output == RenderOptions::Output::Png)
                written = saver.savePng(out.c_str());
            else
                written = saver.saveEmf(out.c_str());
        }
    } catch (const WException& e) {
        // The writers leave no file of their own and --out as it was.
        print(stderr, "orvex-render: " + messageText(e) + "\n");
        return exitWriteFailed;
    }
    if (!written) {
        print(stderr, "orvex-render: abgebrochen; nichts geschrieben\n");
        return exitInterrupted;
    }
    return 0;
}

}

int main()
{
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
    // Lines end in a line feed alone, as the shells that read them expect.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    try {
        RenderOptions options = RenderOptions::parse(commandLineArguments());
        if (options.help) {
            print(stdout, renderHelpText);
            return 0;
        }
        WSystem::startup("OrvexRender", GetModuleHandleW(nullptr), nullptr,
                         const_cast<char*>(""), SW_HIDE);
        int code;
        try {
            code = render(options);
        } catch (...) {
            WSystem::shutdown();
            throw;
        }
        WSystem::shutdown();
        return code;
    } catch (const RenderInputError& e) {
        print(stderr, std::string("orvex-render: ") + e.what() + "\n");
        return exitBadInput;
    } catch (const WException& e) {
        print(stderr, "orvex-render: " + messageText(e) + "\n");
        return exitWriteFailed;
    }
}
