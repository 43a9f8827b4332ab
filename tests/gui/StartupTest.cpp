#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "GuiTestMain.h"
#include "GuiTestSupport.h"
#include "RecordingHandler.h"
#include "WException.h"
#include "WSystem.h"
#include "WSystemInfo.h"
#include "WWindow.h"

namespace {
std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

HICON systemIcon(int id)
{
    return LoadIconA(nullptr, MAKEINTRESOURCEA(id));
}
}

TEST(WSystemStartupTest, RecordsTheProcessFacts)
{
    EXPECT_EQ(nullptr, instanceSeenBeforeStartup()) << "no instance before start-up";
    const WSystemInfo& info = WSystem::getSystemInfo();
    EXPECT_EQ(GetModuleHandleA(nullptr), WSystem::getInstance());
    EXPECT_STREQ(testApplicationName, info.getProgramName());
    EXPECT_STREQ("gui_tests --run", info.getCommandLine());

    std::string file = info.getProgramFilename().operator const char*();
    std::string directory = info.getProgramDirectory().operator const char*();
    EXPECT_EQ("gui_tests.exe", lower(file.substr(file.size() - 13)));
    EXPECT_EQ(directory, file.substr(0, directory.size()));
    EXPECT_EQ(file.find_last_of("\\/"), directory.size()) << "the directory ends before the name";

    const WFont& font = info.getDefaultFont();
    EXPECT_STREQ("MS Sans Serif", font.getName());
    EXPECT_EQ(8u, font.getHeight());
    EXPECT_EQ(11u, font.getTrueHeight());
    EXPECT_EQ(400u, font.getWeight());
    EXPECT_NE(nullptr, static_cast<HFONT>(font));

    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    EXPECT_EQ(zone.Bias, info.getLocalTimeZone().getBias());
    EXPECT_EQ(zone.DaylightBias, info.getLocalTimeZone().getDaylightBias());

    const WDisplayDevice& primary = info.getPrimaryDisplayDevice();
    EXPECT_TRUE(primary.isPrimary());
    EXPECT_FALSE(primary.getName() == "");
    WSystemInfo::DisplayDevices& devices = WSystem::getSystemInfo().getDisplayDevices();
    if (devices.size() > 0)
        EXPECT_NE(nullptr, devices.find(primary.getName())) << "the primary is an enumerated device";
    else
        EXPECT_STREQ("Primary Display", primary.getDescription());
    EXPECT_TRUE(WSystem::isCursorActive());

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    ASSERT_TRUE(GetClassInfoExA(WSystem::getInstance(), testApplicationName, &windowClass));
    EXPECT_EQ(static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS), windowClass.style);
    EXPECT_EQ(nullptr, windowClass.hbrBackground);
    EXPECT_EQ(0, windowClass.cbWndExtra);
    EXPECT_NE(nullptr, GetModuleHandleA("riched20.dll")) << "the rich-edit library is loaded";

    // The longer form ORs extra class styles into a class of the new name.
    WSystem::startup("QuarnGuiTestsExtra", WSystem::getInstance(), nullptr, nullptr, 0,
                     CS_NOCLOSE);
    ASSERT_TRUE(GetClassInfoExA(WSystem::getInstance(), "QuarnGuiTestsExtra", &windowClass));
    EXPECT_EQ(static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | CS_NOCLOSE),
              windowClass.style);
    EXPECT_STREQ("", info.getCommandLine()) << "no command line given";

    // A class that exists already cannot be registered again.
    try {
        WSystem::startup(testApplicationName, WSystem::getInstance(), nullptr, nullptr, 0);
        ADD_FAILURE() << "the window class exists already";
    } catch (const WSystemException& e) {
        EXPECT_STREQ("Cannot create window class.", e.getMessage());
    }
    EXPECT_STREQ(testApplicationName, info.getProgramName());
    EXPECT_EQ(GetModuleHandleA(nullptr), WSystem::getInstance());
}

TEST(WSystemMessageBoxTest, TextsCaptionsIconsAndAnswers)
{
    WFileException failure("Datei fehlt", -2);
    {
        DialogAnswerer ok(IDOK);
        WSystem::showException(nullptr, failure);
        ASSERT_TRUE(ok.answered());
        EXPECT_EQ("Error", ok.caption());
        EXPECT_EQ(std::string(failure.toString()), ok.text());
        EXPECT_EQ(systemIcon(32515), ok.icon()) << "the exclamation icon"; // IDI_EXCLAMATION
    }
    {
        DialogAnswerer ok(IDOK);
        WSystem::showMessage(nullptr, "Bitte eine Zahl zwischen 1 und 12 eingeben.",
                             "Information", false);
        ASSERT_TRUE(ok.answered());
        EXPECT_EQ("Information", ok.caption());
        EXPECT_EQ("Bitte eine Zahl zwischen 1 und 12 eingeben.", ok.text());
        EXPECT_EQ(systemIcon(32516), ok.icon()) << "the information icon"; // IDI_ASTERISK
    }
    {
        DialogAnswerer ok(IDOK);
        WSystem::showMessage(nullptr, "Achtung", "Warnung", true);
        EXPECT_EQ(systemIcon(32515), ok.icon());
    }
    {
        DialogAnswerer yes(IDYES);
        EXPECT_TRUE(WSystem::showQuestion(nullptr, "Überschreiben?", "Frage"));
        EXPECT_EQ(systemIcon(32514), yes.icon()) << "the question icon"; // IDI_QUESTION
    }
    {
        DialogAnswerer no(IDNO);
        EXPECT_FALSE(WSystem::showQuestion(nullptr, "Überschreiben?", "Frage"));
    }
}

// A text too long for the screen (a file name of megabytes read from a
// damaged settings file) is shortened in every message box: each line keeps
// its start and its end, and so does a text of very many lines; texts that
// fit are shown as they are.
TEST(WSystemMessageBoxTest, LongTextsKeepTheirStartAndEnd)
{
    const std::string name = "Anfang" + std::string(1 << 20, 'x') + "Ende";
    const std::string fitting = "Zeile\r\n" + std::string(400, 'y') + "\r\nSchluss";
    std::string manyLines;
    for (int i = 0; i < 20000; ++i)
        manyLines += "Zeile " + std::to_string(i) + "\r\n";
    const WFileNotFoundException missing(("File not found: " + name).c_str());
    const std::string line = missing.toString().operator const char*();
    const std::string lineEnd = line.substr(line.size() - 20);
    struct Case {
        const char* label;
        std::function<void()> show;
        std::string start, end; // of the text shown
        std::string captionStart, captionEnd;
    } cases[] = {
        {"message", [&] { WSystem::showMessage(nullptr, name.c_str(), "Information", false); },
         "Anfang", "Ende", "Information", "Information"},
        {"caption", [&] { WSystem::showMessage(nullptr, "Text", name.c_str(), false); }, "Text",
         "Text", "Anfang", "Ende"},
        {"question", [&] { WSystem::showQuestion(nullptr, name.c_str(), "Frage"); }, "Anfang",
         "Ende", "Frage", "Frage"},
        {"exception", [&] { WSystem::showException(nullptr, missing); },
         "WFileNotFoundException: File not found: Anfang", lineEnd, "Error", "Error"},
        {"explained exception",
         [&] {
             WSystem::showException(nullptr, missing,
                                    ("Die Datei »" + name + "« fehlt.\r\nBitte wählen.").c_str());
         },
         "Die Datei »Anfang", lineEnd, "Error", "Error"},
        {"many lines", [&] { WSystem::showMessage(nullptr, manyLines.c_str(), "Viele", false); },
         "Zeile 0\r\nZeile 1\r\n", "Zeile 19999\r\n", "Viele", "Viele"},
        {"fitting", [&] { WSystem::showMessage(nullptr, fitting.c_str(), "Passt", false); },
         fitting, fitting, "Passt", "Passt"},
    };
    auto startsWith = [](const std::string& text, const std::string& start) {
        return text.compare(0, start.size(), start) == 0;
    };
    auto endsWith = [](const std::string& text, const std::string& end) {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    for (const Case& c : cases) {
        DialogAnswerer ok(IDOK);
        c.show();
        ASSERT_TRUE(ok.answered()) << c.label;
        std::string text = ok.text();
        EXPECT_LE(text.size(), 4000u) << c.label;
        EXPECT_TRUE(startsWith(text, c.start)) << c.label << ": " << text.substr(0, 80);
        EXPECT_TRUE(endsWith(text, c.end)) << c.label << ": " << text.substr(text.size() - 80);
        EXPECT_TRUE(startsWith(ok.caption(), c.captionStart)) << c.label;
        EXPECT_TRUE(endsWith(ok.caption(), c.captionEnd)) << c.label;
        EXPECT_LE(ok.caption().size(), 500u) << c.label;
    }
    // The explanation keeps its second line whole; the long lines are cut.
    {
        DialogAnswerer ok(IDOK);
        WSystem::showException(nullptr, missing, ("Die Datei »" + name + "« fehlt.\r\nBitte wählen.").c_str());
        EXPECT_NE(std::string::npos, ok.text().find("Ende« fehlt.\r\nBitte wählen.\r\n\r\n"));
    }
}

TEST(WSystemCursorTest, OverrideAndVisibility)
{
    RecordingHandler handler;
    WWindow window;
    window.create(nullptr, "", &handler, WWindow::STYLE_POPUP, 0, 0, 50, 50);
    WPARAM self = reinterpret_cast<WPARAM>(static_cast<HWND>(window));
    LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

    HCURSOR hand = WSystem::setCurrentCursor(WSystem::CURSOR_HAND);
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)), hand);
    EXPECT_EQ(hand, WSystem::getSystemInfo().getCurrentCursorHandle());
    SetCursor(nullptr);
    SendMessageA(window, WM_SETCURSOR, self, overClient);
    EXPECT_EQ(hand, GetCursor()) << "library windows show the stored cursor";

    HCURSOR move = WSystem::setCurrentCursor(WSystem::CURSOR_MOVE);
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(32646)), move);
    EXPECT_EQ(nullptr, WSystem::setCurrentCursor(WSystem::CURSOR_NONE));
    EXPECT_EQ(nullptr, WSystem::getSystemInfo().getCurrentCursorHandle());
    SetCursor(nullptr);
    SendMessageA(window, WM_SETCURSOR, self, overClient);
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)), GetCursor())
        << "without an override the class arrow is shown";

    WSystem::showCursor(false);
    WSystem::showCursor(false);
    EXPECT_FALSE(WSystem::isCursorActive());
    EXPECT_EQ(-2, ShowCursor(FALSE)) << "hidden twice is hidden once: the counter stood at -1";
    ShowCursor(TRUE);
    WSystem::showCursor(true);
    EXPECT_TRUE(WSystem::isCursorActive());
    EXPECT_EQ(-1, ShowCursor(FALSE)) << "one show undoes any number of hides";
    ShowCursor(TRUE);

    EXPECT_EQ(nullptr, WSystem::getContextWindowHandle(nullptr));
    EXPECT_EQ(static_cast<HWND>(window), WSystem::getContextWindowHandle(&window));
}
