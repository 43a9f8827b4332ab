#include "ProductCatalogue.h"

#include <windows.h>

#include <cctype>

#include "DataSets.h"
#include "FileNameText.h"
#include "GridImport.h"
#include "SystemErrorText.h"
#include "UpdateFailure.h"

namespace {

// Far more than any list of products: a longer file is no catalogue.
const size_t catalogueLimit = 1 << 20;

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> fields(const std::string& line, std::string& rest)
{
    std::vector<std::string> result;
    size_t at = 0;
    while (result.size() < 5) {
        size_t begin = line.find_first_not_of(" \t", at);
        if (begin == std::string::npos)
            break;
        at = line.find_first_of(" \t", begin);
        result.push_back(line.substr(begin, at == std::string::npos ? std::string::npos : at - begin));
        if (at == std::string::npos)
            break;
    }
    size_t restBegin = at == std::string::npos ? std::string::npos : line.find_first_not_of(" \t", at);
    rest = restBegin == std::string::npos ? std::string() : line.substr(restBegin);
    return result;
}

bool isName(const std::string& name)
{
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '-' && c != '_' && c != '.')
            return false;
    return true;
}

// Why a line's fields make no product; empty when they make one.
std::string refusal(const std::vector<std::string>& field, const ProductCatalogue& catalogue)
{
    if (field.size() < 5)
        return "unvollständig (erwartet: Name, Adresse, Datensatz, Variable, Kompression)";
    const std::string& name = field[0];
    const std::string& address = field[1];
    if (!isName(name))
        return "der Name " + name + " darf nur Buchstaben, Ziffern, '-', '_' und '.' enthalten";
    if (const Product* other = productByName(catalogue, name))
        return "der Name " + name + " steht schon in Zeile " + std::to_string(other->line);
    if (lowered(address).compare(0, 8, "https://") != 0)
        return "nur verschlüsselte Adressen (https:) werden geladen, nicht " + address;
    for (unsigned char c : address)
        if (c <= ' ' || c >= 0x7f)
            return "die Adresse enthält Zeichen, die in Adressen nicht stehen dürfen";
    if (address.find('*') != std::string::npos && address.find('*') < address.rfind('/'))
        return "'*' darf nur im letzten Teil der Adresse stehen";
    const DataSet* set = dataSetByName(field[2]);
    if (set == nullptr || isClimatologyTarget(field[2]))
        return "unbekannter Datensatz " + field[2] + " (hadcrut4, hadcrut3, hadcrut3v oder hadsst2)";
    if (field[4] != "gzip" && field[4] != "-")
        return "unbekannte Kompression " + field[4] + " (gzip oder -)";
    return std::string();
}

std::string readCatalogueText(const std::string& path)
{
    HANDLE file = CreateFileW(systemFileName(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw UpdateFailure("die Produktliste " + shownText(path) +
                            " kann nicht gelesen werden: " + systemErrorText(GetLastError()).german);
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    bool ok;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0 && text.size() <= catalogueLimit)
        text.append(buffer, got);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok)
        throw UpdateFailure("die Produktliste " + shownText(path) +
                            " kann nicht gelesen werden: " + systemErrorText(error).german);
    if (text.size() > catalogueLimit)
        throw UpdateFailure("die Produktliste " + shownText(path) + " ist zu groß für eine Produktliste");
    return text;
}

} // namespace

std::string catalogueFile(const std::string& workFolder)
{
    bool separated = !workFolder.empty() && (workFolder.back() == '\\' || workFolder.back() == '/');
    return workFolder + (separated ? "" : "\\") + "produkte.txt";
}

ProductCatalogue readProductCatalogue(const std::string& path)
{
    std::string text = readCatalogueText(path);
    std::string shownName = shownText(path.substr(path.find_last_of("\\/") + 1));
    ProductCatalogue catalogue;
    int number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        std::string rest;
        std::vector<std::string> field = fields(line, rest);
        std::string problem = refusal(field, catalogue);
        if (!problem.empty()) {
            catalogue.problems.push_back({number, shownName + ", Zeile " + std::to_string(number) + ": " + problem});
            continue;
        }
        Product product;
        product.name = field[0];
        product.address = field[1];
        product.target = field[2];
        product.variable = field[3] == "-" ? std::string() : field[3];
        product.gzip = field[4] == "gzip";
        product.description = rest;
        product.line = number;
        catalogue.products.push_back(product);
    }
    return catalogue;
}

const Product* productByName(const ProductCatalogue& catalogue, const std::string& name)
{
    for (const Product& product : catalogue.products)
        if (lowered(product.name) == lowered(name))
            return &product;
    return nullptr;
}
