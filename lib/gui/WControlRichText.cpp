#include "WControlRichText.h"

#include <richedit.h>

#include <cstring>
#include <vector>

#include "WException.h"
#include "WFile.h"
#include "WFont.h"
#include "WSystem.h"
#include "WSystemInfo.h"

namespace {
// The bytes still to be streamed into the control.
struct StreamSource {
    const char* next;
    unsigned long left;
};

DWORD CALLBACK readStream(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read)
{
    StreamSource* source = reinterpret_cast<StreamSource*>(cookie);
    unsigned long n = source->left < static_cast<unsigned long>(size)
                          ? source->left
                          : static_cast<unsigned long>(size);
    std::memcpy(buffer, source->next, n);
    source->next += n;
    source->left -= n;
    *read = static_cast<LONG>(n);
    return 0;
}
}

WControlRichText::WControlRichText(WWindowContext* owner, const char* name, unsigned long itemId)
{
    create(owner, name, itemId);
}

WControlRichText::WControlRichText(WWindowContext* owner, const char* name, int x, int y,
                                   unsigned long width, unsigned long height, Style style,
                                   bool clientEdge)
{
    create(owner, name, x, y, width, height, style, clientEdge);
}

void WControlRichText::create(WWindowContext* owner, const char* name, int x, int y,
                              unsigned long width, unsigned long height, Style style,
                              bool clientEdge)
{
    if (windowHandle != nullptr)
        return;
    DWORD extra = 0;
    if (style == STYLE_EDITABLE || style == STYLE_READONLY)
        extra = ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_SUNKEN;
    if (style == STYLE_READONLY)
        extra |= ES_READONLY;
    createWindow(owner, name, RICHEDIT_CLASSA, WS_CHILD | WS_VISIBLE | WS_TABSTOP | extra,
                 clientEdge ? WS_EX_CLIENTEDGE : 0, x, y, width, height);
    setFont(WSystem::getSystemInfo().getDefaultFont(), true);
}

void WControlRichText::loadFile(const char* fileName, bool rtf)
{
    WFile file;
    file.open(fileName, static_cast<unsigned long>(WFile::MODE_READ));
    // Read whole first: the nesting is checked before the control sees any of it.
    std::vector<char> bytes(file.getSize());
    unsigned long length = 0;
    try {
        length = file.read(bytes.data(), static_cast<unsigned long>(bytes.size()));
    } catch (const WEOFException&) {
        length = file.getEOFBytes();
    }
    loadText(bytes.data(), length, rtf);
}

void WControlRichText::loadText(const char* bytes, unsigned long length, bool rtf)
{
    if (rtf && groupDepth(bytes, length) > maxGroupDepth)
        throw WControlException(WFormattedString("Rich text nested deeper than %lu groups.",
                                                 maxGroupDepth),
                                -1);
    StreamSource source = {bytes, length};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = readStream;
    SendMessageA(windowHandle, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT,
                 reinterpret_cast<LPARAM>(&stream));
}

unsigned long WControlRichText::groupDepth(const char* bytes, unsigned long length)
{
    const char* end = bytes + length;
    unsigned long depth = 0;
    unsigned long deepest = 0;
    for (const char* p = bytes; p < end; ++p) {
        if (*p == '\\') {
            // The next byte is escaped; when it begins a control word, skipping
            // one letter of it changes nothing.
            ++p;
        } else if (*p == '{') {
            if (++depth > deepest)
                deepest = depth;
        } else if (*p == '}' && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

void WControlRichText::setURLDetection(bool detect)
{
    SendMessageA(windowHandle, EM_SETEVENTMASK, 0, ENM_LINK);
    SendMessageA(windowHandle, EM_AUTOURLDETECT, detect, 0);
}

void WControlRichText::hideSelection(bool hide)
{
    SendMessageA(windowHandle, EM_HIDESELECTION, hide, 0);
}

void WControlRichText::setFont(const WFont& font, bool all)
{
    CHARFORMATA format = {};
    format.cbSize = sizeof(format);
    format.dwMask =
        CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR;
    format.yHeight = static_cast<LONG>(font.getHeight() * 20);
    unsigned long weight = font.getWeight();
    if (weight == 600 || weight == 700 || weight == 800 || weight == 900)
        format.dwEffects |= CFE_BOLD;
    if (font.getStyle() & WFont::STYLE_ITALIC)
        format.dwEffects |= CFE_ITALIC;
    if (font.getStyle() & WFont::STYLE_UNDERLINE)
        format.dwEffects |= CFE_UNDERLINE;
    if (font.getStyle() & WFont::STYLE_STRIKEOUT)
        format.dwEffects |= CFE_STRIKEOUT;
    format.crTextColor = font.getColor();
    lstrcpynA(format.szFaceName, font.getName(), LF_FACESIZE);
    // The whole text includes text set later: the format becomes the default too.
    if (all)
        SendMessageA(windowHandle, EM_SETCHARFORMAT, SCF_DEFAULT,
                     reinterpret_cast<LPARAM>(&format));
    SendMessageA(windowHandle, EM_SETCHARFORMAT, all ? SCF_ALL : SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&format));
}

void WControlRichText::setBackColor(unsigned long colour)
{
    SendMessageA(windowHandle, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(colour));
}

unsigned long WControlRichText::getTextLength() const
{
    GETTEXTLENGTHEX query = {GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    LRESULT length =
        SendMessageA(windowHandle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0);
    return length > 0 ? static_cast<unsigned long>(length) : 0;
}

void WControlRichText::getSelection(unsigned long& start, unsigned long& end) const
{
    CHARRANGE range = {0, 0};
    SendMessageA(windowHandle, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    start = static_cast<unsigned long>(range.cpMin);
    end = static_cast<unsigned long>(range.cpMax);
}

void WControlRichText::setSelection(unsigned long start, unsigned long end)
{
    CHARRANGE range = {static_cast<LONG>(start), static_cast<LONG>(end)};
    SendMessageA(windowHandle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void WControlRichText::replaceSelection(const char* text)
{
    SendMessageA(windowHandle, EM_REPLACESEL, TRUE,
                 reinterpret_cast<LPARAM>(text != nullptr ? text : ""));
}

void WControlRichText::getTextSelected(WString& text) const
{
    unsigned long start = 0;
    unsigned long end = 0;
    getSelection(start, end);
    // Two bytes a character leave room for double-byte code pages.
    std::vector<char> buffer(static_cast<size_t>(end > start ? end - start : 0) * 2 + 1);
    LRESULT copied =
        SendMessageA(windowHandle, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer.data()));
    text.assign(buffer.data(), static_cast<unsigned long>(copied > 0 ? copied : 0));
}

void WControlRichText::getTextRange(WString& text, unsigned long start, unsigned long end) const
{
    if (end == static_cast<unsigned long>(-1))
        end = getTextLength();
    if (end <= start) {
        text.clear();
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(end - start) * 2 + 1);
    TEXTRANGEA range;
    range.chrg.cpMin = static_cast<LONG>(start);
    range.chrg.cpMax = static_cast<LONG>(end);
    range.lpstrText = buffer.data();
    LRESULT copied =
        SendMessageA(windowHandle, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    text.assign(buffer.data(), static_cast<unsigned long>(copied > 0 ? copied : 0));
}

void WControlRichText::setRichTextMode()
{
    SendMessageA(windowHandle, EM_SETTEXTMODE, TM_RICHTEXT, 0);
}

void WControlRichText::setPlainTextMode()
{
    SendMessageA(windowHandle, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
}

bool WControlRichText::isTextControl() const
{
    return false;
}
