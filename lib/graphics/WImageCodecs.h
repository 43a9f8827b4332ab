#pragma once

#include <windows.h>

#include "WExport.h"

// The process-wide GDI+ start-up and the encoders WBitmap::save uses.
// Library start-up runs startup() once and shut-down runs shutdown(); no
// WBitmap may be used outside that span. A second startup() while started
// does nothing, so callers that cannot know whether it ran may call it.
class QUARN2_API WImageCodecs {
public:
    // Starts GDI+ (version 1) and looks up the JPEG and GIF encoders;
    // failure: WSystemException "Cannot initialize GDI+ library." (id -1).
    static void startup();
    static void shutdown();

    // Class ids of the encoders; all zero when GDI+ offers none.
    static const CLSID& getJpegEncoder();
    static const CLSID& getGifEncoder();
};
