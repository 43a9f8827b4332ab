#include "RenderOptions.h"

#include <cctype>
#include <cstdlib>

#include "DataSets.h"

namespace {

[[noreturn]] void bad(const std::string& message)
{
    throw RenderInputError(message);
}

bool allDigits(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

unsigned int number(const std::string& option, const std::string& text, unsigned int low,
                    unsigned int high)
{
    if (!allDigits(text) || text.size() > 9 || std::strtoul(text.c_str(), nullptr, 10) < low ||
        std::strtoul(text.c_str(), nullptr, 10) > high)
        bad(option + u8" erwartet eine ganze Zahl von " + std::to_string(low) + " bis " +
            std::to_string(high) + ", nicht \"" + text + "\"");
    return static_cast<unsigned int>(std::strtoul(text.c_str(), nullptr, 10));
}

void yearMonth(const std::string& option, const std::string& text, unsigned int& year,
               unsigned int& month)
{
    size_t dash = text.find('-');
    std::string y = text.substr(0, dash);
    std::string m = dash == std::string::npos ? "" : text.substr(dash + 1);
    if (y.size() != 4 || !allDigits(y) || m.empty() || m.size() > 2 || !allDigits(m))
        bad(option + u8" erwartet JJJJ-MM, nicht \"" + text + "\"");
    year = static_cast<unsigned int>(std::atoi(y.c_str()));
    month = static_cast<unsigned int>(std::atoi(m.c_str()));
    if (month < 1 || month > 12)
        bad(option + u8": Monatsbereich 1-12, nicht \"" + text + "\"");
}

// "1961-1990": two four-digit years.
void yearSpan(const std::string& option, const std::string& text, unsigned int& first,
              unsigned int& last)
{
    size_t dash = text.find('-');
    std::string a = text.substr(0, dash);
    std::string b = dash == std::string::npos ? "" : text.substr(dash + 1);
    if (a.size() != 4 || !allDigits(a) || b.size() != 4 || !allDigits(b))
        bad(option + u8" erwartet JJJJ-JJJJ, nicht \"" + text + "\"");
    first = static_cast<unsigned int>(std::atoi(a.c_str()));
    last = static_cast<unsigned int>(std::atoi(b.c_str()));
    if (first > last)
        bad(option + u8": das erste Jahr liegt nach dem letzten, \"" + text + "\"");
}

// "2024-JJA": a year and a season.
void yearSeason(const std::string& option, const std::string& text, unsigned int& year,
                unsigned int& season)
{
    size_t dash = text.find('-');
    std::string y = text.substr(0, dash);
    season = dash == std::string::npos ? NO_SEASON : seasonByCode(text.substr(dash + 1));
    if (y.size() != 4 || !allDigits(y) || season == NO_SEASON)
        bad(option + u8" erwartet JJJJ-DJF, JJJJ-MAM, JJJJ-JJA oder JJJJ-SON, nicht \"" + text +
            "\"");
    year = static_cast<unsigned int>(std::atoi(y.c_str()));
}

double degrees(const std::string& text, double limit, bool& ok)
{
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    ok = !text.empty() && end != nullptr && *end == '\0' && value >= -limit && value <= limit;
    return value;
}

std::string lowerExtension(const std::string& name)
{
    size_t dot = name.find_last_of('.');
    size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}

RenderOptions RenderOptions::parse(const std::vector<std::string>& arguments)
{
    RenderOptions options;
    bool month = false, year = false, from = false, to = false, stepGiven = false;
    bool season = false, trendOf = false, methodGiven = false;
    std::string chartOnly; // an option that only a chart takes
    std::string fromText, toText;
    for (size_t i = 0; i < arguments.size(); i++) {
        std::string option = arguments[i];
        std::string value;
        bool inlineValue = false;
        size_t equals = option.find('=');
        if (option.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
            inlineValue = true;
        }
        if (option == "--help") {
            options.help = true;
            return options;
        }
        static const char* const withValue[] = {
            "--data",      "--month",   "--year",     "--from",      "--to",
            "--step",      "--view",    "--map",      "--scale",     "--centre",
            "--positions", "--out",     "--delay",    "--hold",      "--loop",
            "--season",    "--trend",   "--trend-of", "--reference", "--reference-method",
            "--chart",     "--running", "--size",     "--labels",    "--position",
            "--coverage"};
        bool known = false;
        for (const char* name : withValue)
            known = known || option == name;
        if (!known)
            bad(u8"unbekannte Option \"" + arguments[i] + u8"\" (--help zeigt die Optionen)");
        if (!inlineValue) {
            if (i + 1 >= arguments.size())
                bad(option + u8" braucht einen Wert");
            value = arguments[++i];
        }

        if (option == "--data") {
            options.data = value;
        } else if (option == "--month") {
            yearMonth(option, value, options.firstYear, options.firstMonth);
            month = true;
        } else if (option == "--year") {
            options.firstYear = number(option, value, 1000, 9999);
            year = true;
        } else if (option == "--from") {
            fromText = value;
            from = true;
        } else if (option == "--to") {
            toText = value;
            to = true;
        } else if (option == "--step") {
            if (value != "month" && value != "year" && value != "season")
                bad(u8"--step erwartet month, year oder season, nicht \"" + value + "\"");
            options.yearAverage = value == "year";
            options.seasons = value == "season";
            stepGiven = true;
        } else if (option == "--season") {
            yearSeason(option, value, options.firstYear, options.firstMonth);
            season = true;
        } else if (option == "--trend") {
            yearSpan(option, value, options.trendSpan.firstYear, options.trendSpan.lastYear);
            options.trend = true;
        } else if (option == "--trend-of") {
            options.trendSpan.season = seasonByCode(value);
            options.trendSpan.month = 0;
            if (options.trendSpan.season == NO_SEASON && value != "year")
                options.trendSpan.month = number(option, value, 1, 12);
            trendOf = true;
        } else if (option == "--reference") {
            yearSpan(option, value, options.reference.firstYear, options.reference.lastYear);
            if (options.reference.method == ReferencePeriod::AS_STORED)
                options.reference.method = ReferencePeriod::PER_CELL;
        } else if (option == "--reference-method") {
            if (value != "cell" && value != "global")
                bad(u8"--reference-method erwartet cell oder global, nicht \"" + value + "\"");
            options.reference.method =
                value == "cell" ? ReferencePeriod::PER_CELL : ReferencePeriod::GLOBAL;
            methodGiven = true;
        } else if (option == "--view") {
            if (value != "flat" && value != "globe")
                bad(u8"--view erwartet flat oder globe, nicht \"" + value + "\"");
            options.globe = value == "globe";
        } else if (option == "--map") {
            const char* const types[] = {"outlines", "satellite", "landwater", "night"};
            options.mapType = 0;
            for (int t = 0; t < 4; t++)
                if (value == types[t])
                    options.mapType = t + 1;
            if (options.mapType == 0)
                bad(u8"--map erwartet outlines, satellite, landwater oder night, nicht \"" +
                    value + "\"");
        } else if (option == "--scale") {
            options.scalePercent = static_cast<int>(number(option, value, 10, 200));
        } else if (option == "--centre") {
            size_t comma = value.find(',');
            bool latOk = false, lonOk = false;
            if (comma != std::string::npos) {
                options.centreLatitude = degrees(value.substr(0, comma), 90, latOk);
                options.centreLongitude = degrees(value.substr(comma + 1), 180, lonOk);
            }
            if (!latOk || !lonOk)
                bad(u8"--centre erwartet BREITE,LÄNGE in Grad (-90..90,-180..180), nicht \"" +
                    value + "\"");
            options.centreGiven = true;
        } else if (option == "--positions") {
            options.positions = value;
        } else if (option == "--out") {
            options.out = value;
        } else if (option == "--chart") {
            const char* const kinds[] = {"global", "hemispheres", "positions", "stripes"};
            options.chart = Chart::None;
            for (int k = 0; k < 4; k++)
                if (value == kinds[k])
                    options.chart = static_cast<Chart>(k + 1);
            if (options.chart == Chart::None)
                bad(u8"--chart erwartet global, hemispheres, positions oder stripes, nicht \"" +
                    value + "\"");
        } else if (option == "--running") {
            options.runningYears = number(option, value, 2, 100);
            chartOnly = option;
        } else if (option == "--size") {
            size_t x = value.find('x');
            std::string w = value.substr(0, x);
            std::string h = x == std::string::npos ? "" : value.substr(x + 1);
            if (!allDigits(w) || !allDigits(h) || w.size() > 4 || h.size() > 4 ||
                std::atoi(w.c_str()) < 200 || std::atoi(w.c_str()) > 4000 ||
                std::atoi(h.c_str()) < 100 || std::atoi(h.c_str()) > 4000)
                bad(u8"--size erwartet BREITExHÖHE in Pixeln (200x100 bis 4000x4000), nicht \"" +
                    value + "\"");
            options.width = std::atoi(w.c_str());
            options.height = std::atoi(h.c_str());
            chartOnly = option;
        } else if (option == "--labels") {
            if (value != "on" && value != "off")
                bad(u8"--labels erwartet on oder off, nicht \"" + value + "\"");
            options.labels = value == "on";
            chartOnly = option;
        } else if (option == "--coverage") {
            const char* const kinds[] = {"none", "band", "panel"};
            options.coverage = -1;
            for (int k = 0; k < 3; k++)
                if (value == kinds[k])
                    options.coverage = k;
            if (options.coverage < 0)
                bad(u8"--coverage erwartet none, band oder panel, nicht \"" + value + "\"");
            chartOnly = option;
        } else if (option == "--position") {
            options.position = number(option, value, 1, 9999);
            chartOnly = option;
        } else if (option == "--delay") {
            options.delay = number(option, value, 1, 65535);
        } else if (option == "--hold") {
            options.hold = number(option, value, 1, 65535);
        } else if (option == "--loop") {
            options.loop = number(option, value, 0, 65535);
        }
    }

    if (options.chart != Chart::None)
        return parseChart(options, from, to, fromText, toText, month || year || season,
                          stepGiven || trendOf);
    if (!chartOnly.empty())
        bad(chartOnly + u8" gilt nur mit --chart");
    if (month + year + season + options.trend + (from || to) != 1)
        bad(u8"genau eines von --month, --year oder --from/--to (oder --season, --trend) angeben");
    if ((from || to) && !(from && to))
        bad(u8"--from und --to gehören zusammen");
    if (stepGiven && !from)
        bad(u8"--step gilt nur mit --from und --to");
    if (trendOf && !options.trend)
        bad(u8"--trend-of gilt nur mit --trend");
    if (methodGiven && options.reference.firstYear == 0)
        bad(u8"--reference-method gilt nur mit --reference");
    if (options.trend && !options.reference.isStored())
        bad(u8"--reference gilt nicht mit --trend: ein Trend hängt vom Bezugszeitraum nicht ab");
    if (from && options.seasons) {
        yearSeason("--from", fromText, options.firstYear, options.firstMonth);
        yearSeason("--to", toText, options.lastYear, options.lastMonth);
    } else if (from) {
        yearMonth("--from", fromText, options.firstYear, options.firstMonth);
        yearMonth("--to", toText, options.lastYear, options.lastMonth);
    }
    if (season)
        options.seasons = true;
    options.range = from;
    if (year)
        options.yearAverage = true;
    if (from && (options.lastYear < options.firstYear ||
                 (options.lastYear == options.firstYear &&
                  !options.yearAverage && options.lastMonth < options.firstMonth)))
        bad(u8"--from liegt nach --to");
    if (options.out.empty())
        bad(u8"--out DATEI fehlt");
    std::string extension = lowerExtension(options.out);
    if (extension == "gif")
        options.output = Output::Gif;
    else if (extension == "jpg" && !options.range)
        options.output = Output::Jpeg;
    else if (extension == "emf" && !options.range)
        options.output = Output::Emf;
    else if (extension == "csv" && !options.range)
        options.output = Output::Csv;
    else if (extension == "png" && !options.range)
        options.output = Output::Png;
    else if (options.range)
        bad(u8"eine Animation wird als .gif geschrieben, nicht \"" + options.out + "\"");
    else
        bad(u8"unbekannte Dateiendung \"" + options.out +
            u8"\": *.gif, *.jpg, *.png, *.emf oder *.csv erlaubt");
    return options;
}

RenderOptions RenderOptions::parseChart(RenderOptions options, bool from, bool to,
                                        const std::string& fromText, const std::string& toText,
                                        bool singleField, bool mapOnly)
{
    if (singleField)
        bad(u8"--chart zeigt eine Zeitreihe: --month, --year und --season gelten nicht");
    if (mapOnly)
        bad(u8"--step und --trend-of gelten nicht mit --chart");
    if (from != to)
        bad(u8"--from und --to gehören zusammen");
    if (options.position != 0 && options.chart != Chart::Stripes)
        bad(u8"--position gilt nur mit --chart stripes");
    if (options.position != 0 && options.positions.empty())
        bad(u8"--position braucht --positions DATEI");
    if (from) {
        yearMonth("--from", fromText, options.firstYear, options.firstMonth);
        yearMonth("--to", toText, options.lastYear, options.lastMonth);
        if (options.lastYear * 12 + options.lastMonth < options.firstYear * 12 + options.firstMonth)
            bad(u8"--from liegt nach --to");
        options.chartRange = true;
    }
    if (options.trend && options.trendSpan.lastYear - options.trendSpan.firstYear < 1)
        bad(u8"--trend braucht mit --chart mindestens zwei Jahre");
    if (options.out.empty())
        bad(u8"--out DATEI fehlt");
    std::string extension = lowerExtension(options.out);
    if (extension == "png")
        options.output = Output::Png;
    else if (extension == "gif")
        options.output = Output::Gif;
    else if (extension == "jpg")
        options.output = Output::Jpeg;
    else if (extension == "emf")
        options.output = Output::Emf;
    else if (extension == "csv")
        options.output = Output::Csv;
    else
        bad(u8"unbekannte Dateiendung \"" + options.out +
            u8"\": *.png, *.gif, *.jpg, *.emf oder *.csv erlaubt");
    return options;
}

std::string RenderOptions::dataFile() const
{
    const DataSet* set = dataSetByName(data);
    return set != nullptr ? set->file : data;
}

const char* const renderHelpText =
    u8"Aufruf: orvex-render [OPTIONEN] --out DATEI\n"
    u8"\n"
    u8"Zeichnet die Karte von Orvex Visualizer ohne Fenster: ein Bild eines Monats\n"
    u8"oder Jahres (GIF, JPG, PNG oder EMF, wie \"Speichern als ...\" im Programm)\n"
    u8"oder eine GIF-Animation über viele Monate oder Jahre; mit --chart die\n"
    u8"Zeitreihe des Datensatzes oder seine Klimastreifen.\n"
    u8"\n"
    u8"  --data NAME|DATEI     Datensatz: hadcrut4, hadcrut3, hadcrut3v, hadsst2,\n"
    u8"                        abstem3 oder eine Rasterdatei beliebigen Namens\n"
    u8"                        (Vorgabe: hadcrut3v)\n"
    u8"  --month JJJJ-MM       ein Monat\n"
    u8"  --year JJJJ           das Jahresmittel eines Jahres\n"
    u8"  --season JJJJ-DJF|MAM|JJA|SON\n"
    u8"                        das Mittel einer Jahreszeit; DJF beginnt mit dem\n"
    u8"                        Dezember des Vorjahres\n"
    u8"  --from JJJJ-MM --to JJJJ-MM [--step month|year]\n"
    u8"                        eine Animation: jeder Monat von ... bis (month,\n"
    u8"                        Vorgabe) oder ein Jahresmittel je Jahr (year)\n"
    u8"  --from JJJJ-JZ --to JJJJ-JZ --step season\n"
    u8"                        eine Animation: jede Jahreszeit von ... bis\n"
    u8"                        (JZ: DJF, MAM, JJA oder SON)\n"
    u8"  --trend JJJJ-JJJJ [--trend-of year|DJF|MAM|JJA|SON|MM]\n"
    u8"                        Trendkarte in °C pro Jahrzehnt: je Zelle der\n"
    u8"                        lineare Trend der Jahresmittel (Vorgabe), der\n"
    u8"                        Jahreszeit oder des Monats MM; die Jahre liegen\n"
    u8"                        mindestens 10 auseinander, eine Zelle braucht\n"
    u8"                        Werte in zwei Dritteln der Jahre\n"
    u8"  --reference JJJJ-JJJJ [--reference-method cell|global]\n"
    u8"                        Abweichungen gegenüber diesem Bezugszeitraum\n"
    u8"                        (mindestens 10 Jahre): je Zelle und Kalendermonat\n"
    u8"                        (cell, Vorgabe; Werte in mindestens der Hälfte der\n"
    u8"                        Jahre nötig) oder um das Mittel des globalen\n"
    u8"                        Werts verschoben (global)\n"
    u8"  --view flat|globe     flache Karte oder Globus (Vorgabe: flat)\n"
    u8"  --map outlines|satellite|landwater|night\n"
    u8"                        Umrisse, Satellitenfoto, Land/Wasser oder\n"
    u8"                        Nachtbild (Vorgabe: satellite)\n"
    u8"  --scale PROZENT       Maßstab, 10 bis 200 (Vorgabe: 75)\n"
    u8"  --centre BREITE,LÄNGE Mitte des Globus in Grad, Süden und Westen\n"
    u8"                        negativ (Vorgabe: die des Programms, 45,10)\n"
    u8"  --positions DATEI     eine positions.txt des Programms; Position 1 ist\n"
    u8"                        die Mitte des Globus\n"
    u8"  --chart global|hemispheres|positions|stripes\n"
    u8"                        statt der Karte die Zeitreihe: globaler Wert je\n"
    u8"                        Monat und Jahresmittel, dazu die Halbkugeln oder\n"
    u8"                        die Positionen (--positions), oder Klimastreifen;\n"
    u8"                        --from/--to wählen die Monate (Vorgabe: alle),\n"
    u8"                        --reference den Bezug, --trend JJJJ-JJJJ eine\n"
    u8"                        Trendgerade (°C pro Jahrzehnt in der Legende)\n"
    u8"  --running JAHRE       mit --chart: gleitendes Mittel über 2 bis 100 Jahre\n"
    u8"  --size BREITExHÖHE    mit --chart: Bildgröße in Pixeln (Vorgabe: 900x500)\n"
    u8"  --coverage none|band|panel\n"
    u8"                        mit --chart: die Abdeckung als blasses Band im\n"
    u8"                        Diagramm (Vorgabe), als eigenes Feld darunter\n"
    u8"                        oder nicht\n"
    u8"  --labels on|off       mit --chart stripes: mit oder ohne Beschriftung\n"
    u8"  --position NUMMER     mit --chart stripes: die Streifen dieser Position\n"
    u8"                        aus --positions statt des globalen Werts\n"
    u8"  --out DATEI           .gif, .jpg, .png oder .emf für ein Bild, .gif für eine\n"
    u8"                        Animation, .csv für die Karte als Tabelle\n"
    u8"                        (Breite;Länge;Wert je Zelle, -99,9 ohne Daten),\n"
    u8"                        mit --chart .csv für die gezeichneten Werte\n"
    u8"  --delay CS            Anzeigedauer je Bild in 1/100 s (Vorgabe: 10)\n"
    u8"  --hold CS             Anzeigedauer des letzten Bildes (Vorgabe: 100)\n"
    u8"  --loop N              Anzahl der Wiederholungen, 0 = endlos (Vorgabe: 0)\n"
    u8"  --help                diese Hilfe\n"
    u8"\n"
    u8"Die Bilder zeigen Titel, Legende und Beschriftung, aber keine Markierungen.\n"
    u8"Bei einer Animation meldet stderr höchstens einmal je Sekunde den Fortschritt.\n"
    u8"\n"
    u8"Eine vorhandene Ausgabedatei wird erst ersetzt, wenn die neue ganz\n"
    u8"geschrieben ist; bis dahin und bei jedem Fehler bleibt sie, wie sie war.\n"
    u8"\n"
    u8"Rückgabewert: 0 erfolgreich, 1 Fehler beim Schreiben, 2 falsche Eingabe,\n"
    u8"130 abgebrochen (Strg+C); außer bei 0 wird nichts geschrieben.\n";
