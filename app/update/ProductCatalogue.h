#pragma once

#include <string>
#include <vector>

// The published products "Daten aktualisieren" can fetch, as the catalogue
// file beside the program lists them (produkte.txt, Windows-1252). One
// product per line, its fields separated by blanks or tabs:
//
//     NAME ADDRESS TARGET VARIABLE COMPRESSION [DESCRIPTION ...]
//
// NAME is what `import_grid --update` takes (letters in either case), ADDRESS
// an https: address whose last part may hold '*' (the newest file of that
// pattern in the folder's listing), TARGET the data set written, VARIABLE the
// file's variable or "-" for the importer's own choice, COMPRESSION "gzip" or
// "-", DESCRIPTION the rest of the line. Empty lines and lines starting with
// '#' are comments. A line that cannot be read is a problem of its own; the
// other lines still make products.

struct Product {
    std::string name;        // "HadCRUT5"
    std::string address;     // "https://..."
    std::string target;      // "hadcrut4": a series target of the importer
    std::string variable;    // empty: chosen by the importer's rules
    bool gzip = false;
    std::string description; // Windows-1252; may be empty
    int line = 0;            // in the catalogue file
};

// A catalogue line that makes no product: why, in German, naming the line
// ("produkte.txt, Zeile 7: ...").
struct CatalogueProblem {
    int line = 0;
    std::string german;
};

struct ProductCatalogue {
    std::vector<Product> products;
    std::vector<CatalogueProblem> problems;
};

// The catalogue file of a working folder: "<folder>\produkte.txt" (UTF-8).
std::string catalogueFile(const std::string& workFolder);

// Reads the catalogue. Throws UpdateFailure when the file cannot be read at
// all; a line it cannot take becomes a problem.
ProductCatalogue readProductCatalogue(const std::string& path);

// The product of that name (letters in either case); null when none.
const Product* productByName(const ProductCatalogue& catalogue, const std::string& name);
