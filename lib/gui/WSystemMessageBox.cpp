// Message boxes, the cursor and the window handle of a context.

#include <cstring>
#include <string>

#include "WException.h"
#include "WSystem.h"
#include "WSystemInfo.h"
#include "WWindowContext.h"

namespace {

// A message box shows what fits on a screen. A longer line (a file name of
// megabytes from a damaged settings file) keeps its start and its end, and
// so does a text of very many lines.
const size_t longestLine = 500;
const size_t longestText = 4000;

void appendShortened(std::string& out, const char* text, size_t length, size_t limit,
                     const char* gap)
{
    if (length <= limit) {
        out.append(text, length);
        return;
    }
    size_t keep = (limit - std::strlen(gap)) / 2;
    out.append(text, keep).append(gap).append(text + length - keep, keep);
}

bool fits(const char* text)
{
    size_t total = 0;
    size_t line = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        line = *c == '\n' ? 0 : line + 1;
        if (line > longestLine || ++total > longestText)
            return false;
    }
    return true;
}

// The text itself when it fits, which needs no memory (out of memory is one
// of the failures reported), otherwise its shortened form made in room.
const char* fitted(const char* text, std::string& room)
{
    if (fits(text))
        return text;
    std::string lines;
    for (const char* line = text;;) {
        const char* end = std::strchr(line, '\n');
        appendShortened(lines, line, end != nullptr ? end - line : std::strlen(line), longestLine,
                        " ... ");
        if (end == nullptr)
            break;
        lines += '\n';
        line = end + 1;
    }
    appendShortened(room, lines.data(), lines.size(), longestText, "\r\n...\r\n");
    return room.c_str();
}

int showBox(WWindowContext* owner, const char* text, const char* caption, UINT type)
{
    std::string shortText;
    std::string shortCaption;
    return MessageBoxA(WSystem::getContextWindowHandle(owner), fitted(text, shortText),
                       fitted(caption, shortCaption), type);
}

} // namespace

void WSystem::showMessage(WWindowContext* owner, const char* text, const char* caption,
                          bool warning)
{
    showBox(owner, text, caption, MB_OK | (warning ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
}

bool WSystem::showQuestion(WWindowContext* owner, const char* text, const char* caption)
{
    return showBox(owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void WSystem::showException(WWindowContext* owner, const WException& e)
{
    showBox(owner, e.toString(), "Error", MB_OK | MB_ICONEXCLAMATION);
}

void WSystem::showException(WWindowContext* owner, const WException& e, const char* explanation)
{
    WString text(explanation);
    text += "\r\n\r\n";
    text += e.toString();
    showBox(owner, text, "Error", MB_OK | MB_ICONEXCLAMATION);
}

HWND WSystem::getContextWindowHandle(WWindowContext* context)
{
    return context != nullptr ? context->getWindowHandle() : nullptr;
}

HCURSOR WSystem::setCurrentCursor(CursorType type)
{
    HCURSOR cursor = nullptr;
    switch (type) {
    case CURSOR_ARROW:
        cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        break;
    case CURSOR_HAND:
        cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)); // IDC_HAND
        break;
    case CURSOR_MOVE:
        cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32646)); // IDC_SIZEALL
        break;
    default:
        break;
    }
    getSystemInfo().currentCursor = cursor;
    if (cursor != nullptr)
        SetCursor(cursor);
    return cursor;
}

void WSystem::showCursor(bool show)
{
    getSystemInfo().cursorShown = show;
    // The system keeps a display counter; bring it to exactly 0 (shown) or
    // -1 (hidden) so that one call always undoes the other.
    if (show) {
        int count = ShowCursor(TRUE);
        while (count < 0)
            count = ShowCursor(TRUE);
        while (count > 0)
            count = ShowCursor(FALSE);
    } else {
        int count = ShowCursor(FALSE);
        while (count >= 0)
            count = ShowCursor(FALSE);
        while (count < -1)
            count = ShowCursor(TRUE);
    }
}

bool WSystem::isCursorActive()
{
    return getSystemInfo().cursorShown;
}
