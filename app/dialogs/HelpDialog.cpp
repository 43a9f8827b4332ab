#include "HelpDialog.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "DialogIds.h"
#include "WException.h"
#include "WFile.h"
#include "WSystem.h"

namespace {

const char* const helpFileName = "Information.rtf";

// Reads the whole file into bytes; false, with the bytes cut, when it holds
// more than maxBytes. The size is counted as the bytes arrive, so a file
// that grows meanwhile or whose size is misreported is bounded as well.
bool readAtMost(const char* fileName, unsigned long maxBytes, std::vector<char>& bytes)
{
    WFile file;
    file.open(fileName, static_cast<unsigned long>(WFile::MODE_READ));
    const unsigned long piece = 64 * 1024;
    bytes.clear();
    for (bool atEnd = false; !atEnd;) {
        size_t length = bytes.size();
        bytes.resize(length + piece);
        unsigned long got = 0;
        try {
            got = file.read(bytes.data() + length, piece);
        } catch (const WEOFException&) {
            got = file.getEOFBytes();
            atEnd = true;
        }
        bytes.resize(length + got);
        if (bytes.size() > maxBytes)
            return false;
    }
    return true;
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The most bytes of rich text between two paragraph marks: the control word
// \par (not \pard, and not an escaped backslash followed by "par").
size_t longestParagraph(const std::vector<char>& bytes)
{
    size_t n = bytes.size();
    size_t longest = 0;
    size_t start = 0;
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] != '\\')
            continue;
        size_t word = i + 1;
        size_t wordEnd = word;
        while (wordEnd < n && isLetter(bytes[wordEnd]))
            ++wordEnd;
        if (wordEnd == word) {
            ++i; // an escaped character
            continue;
        }
        if (wordEnd - word == 3 && std::memcmp(&bytes[word], "par", 3) == 0) {
            longest = std::max(longest, i - start);
            start = wordEnd;
        }
        i = wordEnd - 1;
    }
    return std::max(longest, n - start);
}

} // namespace

HelpDialog::HelpDialog(WWindowContext* parent) : WDialog(parent, IDD_HELP) {}

void HelpDialog::onDialogInit()
{
    // The system's dialog colours for the panel and its labels alike.
    setColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    text.create(this, "RTFControl", IDC_HELP_TEXT);
    text.hideSelection(true);
    text.setURLDetection(true);
    loadHelpText();
    // The dialog manager gives the text the focus after this, selecting all
    // of it, which scrolls to the end: back to the top once that is done.
    createUserMessage(nullptr, nullptr);
}

void HelpDialog::loadHelpText()
{
    std::vector<char> bytes;
    try {
        if (!readAtMost(helpFileName, maxHelpTextBytes, bytes)) {
            WSystem::showException(
                this,
                WException(WFormattedString("File larger than %lu bytes: %s", maxHelpTextBytes,
                                            helpFileName),
                           -4),
                "Der Hilfetext »Information.rtf« ist größer als 1 MB und wird deshalb nicht "
                "angezeigt. Ersetzen Sie ihn durch den Hilfetext des Programms.");
            return;
        }
    } catch (const WFileNotFoundException& e) {
        WSystem::showException(this, e,
                               "Der Hilfetext »Information.rtf« fehlt. Er gehört in den Ordner, "
                               "aus dem das Programm gestartet wird.");
        return;
    } catch (const WException& e) {
        WSystem::showException(this, e,
                               "Der Hilfetext »Information.rtf« kann nicht gelesen werden. "
                               "Vielleicht ist er von einem anderen Programm gesperrt.");
        return;
    }
    if (longestParagraph(bytes) > maxParagraphBytes) {
        WSystem::showException(
            this,
            WException(WFormattedString("Paragraph longer than %lu bytes: %s", maxParagraphBytes,
                                        helpFileName),
                       -4),
            "Der Hilfetext »Information.rtf« enthält einen Absatz von mehr als 8 KB und wird "
            "nicht angezeigt, weil das Fenster sonst lange nicht mehr reagieren würde. Ersetzen "
            "Sie ihn durch den Hilfetext des Programms.");
        return;
    }
    try {
        text.loadText(bytes.data(), static_cast<unsigned long>(bytes.size()), true);
    } catch (const WException& e) {
        WSystem::showException(this, e,
                               "Der Hilfetext »Information.rtf« ist zu tief verschachtelt und "
                               "wird deshalb nicht angezeigt. Ersetzen Sie ihn durch den "
                               "Hilfetext des Programms.");
    }
}

void HelpDialog::onWindowUserMessage(void*, void*)
{
    text.setSelection(0, 0);
    SendMessageA(text.getWindowHandle(), WM_VSCROLL, SB_TOP, 0);
}

void HelpDialog::onDialogClose()
{
    close(0);
}

void HelpDialog::onPanelCommand(unsigned long id, unsigned long, WControl*)
{
    try {
        if (id == IDCANCEL || id == IDC_HELP_CLOSE)
            close(0);
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}
