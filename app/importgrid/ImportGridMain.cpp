// import_grid.exe: imports a netCDF temperature grid into one of the
// program's grid files, with the arguments, messages and exit codes of the
// Python tools/import-grid (its usage errors worded as argparse words them);
// with --update, downloads the published products of the catalogue and
// imports them (German lines, for the schools' scheduled tasks).

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FileNameText.h"
#include "GridImport.h"
#include "GridLayout.h"
#include "ImportFailure.h"
#include "ImportText.h"
#include "ProductUpdate.h"

namespace {

const char* const PROGRAM = "import-grid";
const char* const USAGE =
    "usage: import-grid [-h] --as {hadcrut4,hadcrut3,hadcrut3v,hadsst2,abstem3}\n"
    "                   [--variable NAME] [--level VALUE] [--out DIR]\n"
    "                   INPUT.nc\n"
    "       import-grid --update [PRODUCT ...] [--out DIR]\n";
// Inputs with more months than this show their progress on a console.
const int LONG_INPUT = 240;

std::atomic<bool> interrupted{false};

BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    interrupted = true;
    return TRUE;
}

// The folder of this program, the program's working folder, in UTF-8.
std::string programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length;
    while ((length = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()))) == path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    std::string text = utf8FileName(path.c_str());
    size_t cut = text.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : text.substr(0, cut);
}

// Words after a first line of prefix, wrapped at 78 columns and indented by 24.
std::string wrapped(const std::string& prefix, const std::string& text) {
    std::string result = prefix, line;
    for (const std::string& word : splitWords(text)) {
        if (!line.empty() && 24 + line.size() + 1 + word.size() > 78) {
            result += std::string(result.size() == prefix.size() ? 0 : 24, ' ') + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return result + std::string(result.size() == prefix.size() ? 0 : 24, ' ') + line + "\n";
}

void printHelp() {
    std::string help = std::string(USAGE) +
        "\n"
        "Imports a monthly gridded temperature data set (netCDF: HadCRUT5, HadCRUT4,\n"
        "CRUTEM5, HadSST, NOAAGlobalTemp, Berkeley Earth, GISTEMP, or the CRU absolute\n"
        "climatology) into one of the program's grid files, DIR/data/cru/<target>.dat.\n"
        "\n"
        "positional arguments:\n"
        "  INPUT.nc              the netCDF file to import\n"
        "\n"
        "options:\n"
        "  -h, --help            show this help message and exit\n"
        "  --as {hadcrut4,hadcrut3,hadcrut3v,hadsst2,abstem3}\n"
        "                        the grid file to write (abstem3 takes a 12-month\n"
        "                        climatology of absolute temperatures)\n"
        "  --variable NAME       the variable to import (default: the data set's\n"
        "                        temperature variable)\n"
        "  --level VALUE         the level to import from a variable with depth, height\n"
        "                        or pressure levels: the value of its level coordinate,\n"
        "                        in the coordinate's units\n"
        "  --update [PRODUCT ...]\n"
        "                        download the named products of DIR/produkte.txt\n"
        "                        (all updated before when none is named) and import\n"
        "                        them; exit code 0 updated or unchanged, 1 failed\n" +
        wrapped("  --out DIR             ", "the program's working folder (default: the folder of "
                                           "import_grid.exe, " + shownText(programFolder()) + ")");
    std::fputs(help.c_str(), stdout);
}

// message in UTF-8 (it may quote the arguments); the console shows Windows-1252.
[[noreturn]] void usageError(const std::string& message) {
    std::fputs(USAGE, stderr);
    std::fprintf(stderr, "%s: error: %s\n", PROGRAM, shownText(message).c_str());
    std::exit(2);
}

// Python's float(): surrounding white space allowed, the whole text a number.
bool parseFloat(const std::string& text, double& value) {
    std::string number = stripped(text);
    if (number.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(number.c_str(), &end);
    return *end == '\0' && lowerAscii(number).find("0x") == std::string::npos;
}

struct Options {
    ImportRequest request;
    bool hasTarget = false;
    bool hasInput = false;
    bool update = false;
    std::vector<std::string> products;
};

// argparse's reading of the command line (in UTF-8): long options by a
// unique prefix, "--name value" or "--name=value".
Options parse(int argc, char** argv) {
    static const char* const longOptions[] = {"--help", "--as", "--variable", "--level", "--out", "--update"};
    Options options;
    options.request.outDir = programFolder();
    std::vector<std::string> unrecognized;
    // Positional arguments in order: the input, or with --update the products.
    std::vector<std::string> positional;
    std::vector<std::string> importOptions;
    bool onlyPositional = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool looksLikeOption = argument.size() > 1 && argument[0] == '-' && !onlyPositional;
        double number;
        if (looksLikeOption && parseFloat(argument, number) && argument.find(' ') == std::string::npos)
            looksLikeOption = false;  // a negative number is a value
        if (argument == "--" && !onlyPositional) {
            onlyPositional = true;
            continue;
        }
        if (!looksLikeOption) {
            positional.push_back(argument);
            continue;
        }
        if (argument == "-h") {
            printHelp();
            std::exit(0);
        }
        std::string name = argument, value;
        bool hasValue = false;
        size_t equals = argument.find('=');
        if (argument.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            hasValue = true;
        }
        std::vector<std::string> matches;
        for (const char* option : longOptions) {
            if (name == option) {
                matches = {option};
                break;
            }
            if (name.size() > 2 && std::string(option).compare(0, name.size(), name) == 0)
                matches.push_back(option);
        }
        if (matches.size() > 1) {
            std::string list;
            for (const std::string& m : matches)
                list += (list.empty() ? "" : ", ") + m;
            usageError("ambiguous option: " + name + " could match " + list);
        }
        if (matches.empty()) {
            unrecognized.push_back(argument);
            continue;
        }
        const std::string& option = matches[0];
        if (option == "--help") {
            printHelp();
            std::exit(0);
        }
        if (option == "--update") {
            if (hasValue)
                usageError("argument --update: ignored explicit argument '" + value + "'");
            options.update = true;
            continue;
        }
        if (option != "--out")
            importOptions.push_back(option);
        if (!hasValue) {
            bool next = i + 1 < argc && (argv[i + 1][0] != '-' || (parseFloat(argv[i + 1], number) &&
                                                                     std::string(argv[i + 1]).size() > 1));
            if (!next)
                usageError("argument " + option + ": expected one argument");
            value = argv[++i];
        }
        if (option == "--as") {
            if (!gridLayoutByName(value)) {
                std::string choices;
                for (const GridLayout& layout : gridLayouts())
                    choices += (choices.empty() ? "'" : ", '") + layout.name + "'";
                usageError("argument --as: invalid choice: '" + value + "' (choose from " + choices + ")");
            }
            options.request.target = value;
            options.hasTarget = true;
        } else if (option == "--variable") {
            options.request.variable = value;
        } else if (option == "--level") {
            if (!parseFloat(value, options.request.level))
                usageError("argument --level: invalid float value: '" + value + "'");
            options.request.hasLevel = true;
        } else {
            options.request.outDir = value;
        }
    }
    if (options.update) {
        if (!importOptions.empty())
            usageError("argument --update: not allowed with argument " + importOptions[0]);
        if (!unrecognized.empty())
            usageError("unrecognized arguments: " + joined(unrecognized, " "));
        options.products = positional;
        return options;
    }
    if (!positional.empty()) {
        options.request.input = positional[0];
        options.hasInput = true;
        unrecognized.insert(unrecognized.end(), positional.begin() + 1, positional.end());
    }
    std::vector<std::string> missing;
    if (!options.hasInput)
        missing.push_back("INPUT.nc");
    if (!options.hasTarget)
        missing.push_back("--as");
    if (!missing.empty())
        usageError("the following arguments are required: " + joined(missing, ", "));
    if (!unrecognized.empty())
        usageError("unrecognized arguments: " + joined(unrecognized, " "));
    return options;
}

// Months read so far, on one line of the console, for long inputs; Ctrl+C
// cancels.
class ConsoleProgress : public ImportProgress {
public:
    ConsoleProgress() {
        DWORD mode = 0;
        console = GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
    }
    ~ConsoleProgress() override {
        if (shown)
            std::fprintf(stderr, "\r%60s\r", "");
    }

    void advance(int done, int total) override {
        if (!console || total <= LONG_INPUT)
            return;
        shown = true;
        std::fprintf(stderr, "\r  reading: %d of %d months (%d %%)", done, total, int(100LL * done / total));
        std::fflush(stderr);
    }

    bool cancelled() const override { return interrupted; }

private:
    bool console = false;
    bool shown = false;
};

// Bytes received and months read, on one line of the console.
class ConsoleUpdateProgress : public UpdateProgress {
public:
    ConsoleUpdateProgress() {
        DWORD mode = 0;
        console = GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
    }
    ~ConsoleUpdateProgress() override { clear(); }

    void downloaded(unsigned long long done, unsigned long long total) override {
        if (!console)
            return;
        shown = true;
        if (total > 0)
            std::fprintf(stderr, "\r  Laden: %llu von %llu KB    ", done >> 10, total >> 10);
        else
            std::fprintf(stderr, "\r  Laden: %llu KB    ", done >> 10);
        std::fflush(stderr);
    }

    void imported(int done, int total) override {
        if (!console || total <= LONG_INPUT)
            return;
        shown = true;
        std::fprintf(stderr, "\r  Import: %d von %d Monaten          ", done, total);
        std::fflush(stderr);
    }

    bool cancelled() const override { return interrupted; }

    void clear() {
        if (shown)
            std::fprintf(stderr, "\r%60s\r", "");
        shown = false;
    }

private:
    bool console = false;
    bool shown = false;
};

// A refusal of --update's arguments: one German line, exit code 2.
[[noreturn]] void updateRefused(const std::string& message) {
    std::fprintf(stderr, "%s: Fehler: %s\n", PROGRAM, message.c_str());
    std::exit(2);
}

std::string productNames(const ProductCatalogue& catalogue) {
    std::vector<std::string> names;
    for (const Product& product : catalogue.products)
        names.push_back(product.name);
    return joined(names, ", ");
}

// The products to update: those named, or those the data sets were last
// updated from.
std::vector<const Product*> chosenProducts(const ProductCatalogue& catalogue, const Options& options) {
    std::vector<const Product*> chosen;
    if (options.products.empty()) {
        for (const Product& product : catalogue.products)
            if (productOfDataSet(product.target, options.request.outDir) == product.name)
                chosen.push_back(&product);
        if (chosen.empty())
            updateRefused("kein Produkt genannt, und noch keins wurde aktualisiert (Produkte: " +
                          productNames(catalogue) + ")");
        return chosen;
    }
    for (const std::string& name : options.products) {
        const Product* product = productByName(catalogue, name);
        if (product == nullptr)
            updateRefused("unbekanntes Produkt " + shownText(name) + " (Produkte: " + productNames(catalogue) + ")");
        bool named = false;
        for (const Product* other : chosen) {
            named = named || other == product;
            if (other != product && other->target == product->target)
                updateRefused(other->name + " und " + product->name + " schreiben beide " + product->target +
                              ".dat; bitte nur eins von beiden nennen");
        }
        if (!named)
            chosen.push_back(product);
    }
    return chosen;
}

int runUpdates(const Options& options) {
    ProductCatalogue catalogue;
    try {
        catalogue = readProductCatalogue(catalogueFile(options.request.outDir));
    } catch (const UpdateFailure& failure) {
        std::fprintf(stderr, "%s: Fehler: %s\n", PROGRAM, failure.german().c_str());
        return 1;
    }
    for (const CatalogueProblem& problem : catalogue.problems)
        std::fprintf(stderr, "%s: Warnung: %s\n", PROGRAM, problem.german.c_str());
    std::vector<const Product*> chosen = chosenProducts(catalogue, options);
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
    int status = 0;
    for (const Product* product : chosen) {
        ConsoleUpdateProgress progress;
        try {
            UpdateResult result = updateProduct(*product, options.request.outDir, progress);
            progress.clear();
            std::printf("%s\n", result.german.c_str());
            std::fflush(stdout);
        } catch (const UpdateFailure& failure) {
            progress.clear();
            std::fprintf(stderr, "%s: Fehler: %s: %s\n", PROGRAM, product->name.c_str(), failure.german().c_str());
            status = 1;
        } catch (const ImportCancelled&) {
            progress.clear();
            std::fprintf(stderr, "%s: abgebrochen; %s unverändert\n", PROGRAM, product->name.c_str());
            return 130;
        } catch (const std::bad_alloc&) {
            progress.clear();
            std::fprintf(stderr, "%s: Fehler: %s: zu wenig Speicher\n", PROGRAM, product->name.c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace

// The command line arrives in UTF-16, so that every name Windows allows
// reaches the importer; it works in UTF-8.
int wmain(int argc, wchar_t** wideArguments) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(utf8FileName(wideArguments[i]));
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    Options options = parse(argc, argv.data());
    if (options.update)
        return runUpdates(options);
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
    try {
        ImportReport report;
        {
            ConsoleProgress progress;
            report = runImport(options.request, progress);
        }
        for (const std::string& line : report.english)
            std::printf("%s\n", line.c_str());
        return 0;
    } catch (const ImportFailure& failure) {
        std::fprintf(stderr, "%s: error: %s\n", PROGRAM, failure.english().c_str());
        return 1;
    } catch (const ImportCancelled&) {
        std::fprintf(stderr, "%s: interrupted; nothing written\n", PROGRAM);
        return 130;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: error: out of memory\n", PROGRAM);
        return 1;
    }
}
