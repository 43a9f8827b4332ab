#pragma once

#include <windows.h>
#include <commdlg.h>

#include "WExport.h"
#include "WString.h"

class WWindowContext;

// The system's open and save file dialogs. File and directory names are
// UTF-8 like every file name of the library; title and filter texts are
// 8-bit window texts. Both dialogs put the process's current directory back
// afterwards, because the system dialog changes it.
class QUARN2_API WFileSelectDialog {
public:
    // filter: pairs of description and pattern, each ended by a zero byte,
    // the list ended by an extra zero byte. It is copied; the first pair is
    // preselected.
    WFileSelectDialog(WWindowContext* owner, const char* filter);
    WFileSelectDialog(const WFileSelectDialog&) = delete;
    WFileSelectDialog& operator=(const WFileSelectDialog&) = delete;
    ~WFileSelectDialog();

    // Replaces the filter list.
    void setExtension(const char* filter);
    // The name shown in the dialog's name field.
    void setInitialFilename(const char* name);
    // The directory the dialog opens in; the text is copied.
    void setInitialPath(const char* directory);

    // True when the user chose a file; cancel or failure keep the name.
    bool showOpenDialog(const char* title);
    // Asks before an existing file is overwritten.
    bool showSaveDialog(const char* title);

    // The chosen full path; before a dialog, the initial name.
    const char* getFilename() const { return filename; }
    // 1-based index of the filter pair the user selected.
    unsigned long getExtensionIndex() const { return request.nFilterIndex; }

private:
    bool run(const char* title, DWORD flags, bool save);

    static const unsigned long NAME_CAPACITY = 1024;

    // The texts it points to exist only while a dialog runs.
    OPENFILENAMEW request;
    WWindowContext* owner;
    WString filename;
    WString filterList;
    WString initialPath;
};
