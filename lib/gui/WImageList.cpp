#include "WImageList.h"

#include "WException.h"

WImageList::WImageList() : list(nullptr) {}

WImageList::~WImageList()
{
    destroy();
}

void WImageList::create(unsigned long width, unsigned long height, unsigned long count)
{
    if (list != nullptr)
        return;
    list = ImageList_Create(static_cast<int>(width), static_cast<int>(height),
                            ILC_COLOR32 | ILC_MASK, static_cast<int>(count),
                            static_cast<int>(count));
    if (list == nullptr)
        throw WImageListException("Cannot create image list.", -1);
    ImageList_SetBkColor(list, CLR_NONE);
}

void WImageList::addImage(HBITMAP bitmap)
{
    if (list == nullptr || ImageList_Add(list, bitmap, nullptr) == -1)
        throw WImageListException("Cannot add image.", -2);
}

void WImageList::addImage(HBITMAP bitmap, unsigned long maskColour)
{
    if (list == nullptr || ImageList_AddMasked(list, bitmap, maskColour) == -1)
        throw WImageListException("Cannot add masked image.", -2);
}

void WImageList::setImage(unsigned long index, HBITMAP bitmap)
{
    if (list == nullptr || !ImageList_Replace(list, static_cast<int>(index), bitmap, nullptr))
        throw WImageListException("Cannot set image.", -3);
}

void WImageList::resize(unsigned long width, unsigned long height, unsigned long count)
{
    if (list == nullptr ||
        !ImageList_SetIconSize(list, static_cast<int>(width), static_cast<int>(height)) ||
        !ImageList_SetImageCount(list, static_cast<UINT>(count)))
        throw WImageListException("Cannot resize image list.", -4);
}

unsigned long WImageList::size() const
{
    return list != nullptr ? static_cast<unsigned long>(ImageList_GetImageCount(list)) : 0;
}

void WImageList::copyTo(WImageList& target) const
{
    if (&target == this)
        return;
    target.destroy();
    if (list != nullptr)
        target.list = ImageList_Duplicate(list);
}

void WImageList::destroy()
{
    if (list != nullptr)
        ImageList_Destroy(list);
    list = nullptr;
}
