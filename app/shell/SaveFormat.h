#pragma once

#include "WString.h"

// One way of saving the map: what its save dialog offers and which file
// names it takes.
struct SaveFormat {
    const char* filter; // one description/pattern pair, each text ended by a zero byte
    const char* defaultExtension;
    const char* title;
    const char* accepted[2];
    const char* wrongExtension;

    // Completes the name chosen in the save dialog: a name without an
    // extension, also one ending in "." ("karte."), gets "." and the default
    // extension. Only the part after the last "/" or "\" is looked at, and
    // extensions compare regardless of case ("karte.GIF" is a GIF). False,
    // name unchanged, when the extension is not one the format takes.
    bool completeFileName(WString& name) const;

    static const SaveFormat gif;
    static const SaveFormat jpeg;
    static const SaveFormat emf;
    static const SaveFormat png;
    // The shown field as a table.
    static const SaveFormat csv;
};
