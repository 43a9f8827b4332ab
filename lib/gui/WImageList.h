#pragma once

#include <windows.h>
#include <commctrl.h>

#include "WExport.h"

// A common-controls image list of 32-bit images with masks. Failures are
// WImageListException.
class QUARN2_API WImageList {
public:
    WImageList();
    WImageList(const WImageList&) = delete;
    WImageList& operator=(const WImageList&) = delete;
    ~WImageList();

    // Images of width x height, initial size and growth step count,
    // transparent background; nothing when a list exists. Failure: "Cannot
    // create image list." (id -1).
    void create(unsigned long width, unsigned long height, unsigned long count);
    // Appends the bitmap's images, split by the list's image width. Failure:
    // "Cannot add image." (id -2).
    void addImage(HBITMAP bitmap);
    // maskColour is transparent. Failure: "Cannot add masked image." (id -2).
    void addImage(HBITMAP bitmap, unsigned long maskColour);
    // Failure: "Cannot set image." (id -3).
    void setImage(unsigned long index, HBITMAP bitmap);
    // New image size (the system empties the list) and image count. Failure:
    // "Cannot resize image list." (id -4).
    void resize(unsigned long width, unsigned long height, unsigned long count);
    unsigned long size() const;
    // target receives a duplicate of the list in place of the one it held.
    void copyTo(WImageList& target) const;
    void destroy();

    HIMAGELIST getImageListHandle() const { return list; }
    operator HIMAGELIST() const { return list; }

private:
    HIMAGELIST list;
};
