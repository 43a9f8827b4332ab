#include "MapPage.h"

#include "WSystem.h"
#include "WSystemInfo.h"
#include "WWindowStyle.h"

MapPage::MapPage()
{
    handler.window = &window;
}

void MapPage::create(WWindowContext* parent, MapPageListener* listener)
{
    handler.listener = listener;
    WWindowStyle style(WSystem::getSystemInfo().getProgramName(), WS_CHILD | WS_VISIBLE,
                       WS_EX_CLIENTEDGE);
    window.create(parent, "TabOrvexMap", &handler, style, 0, 0, 0, 0);
}

void MapPage::Handler::onWindowMouseMove(int x, int y, void*)
{
    if (listener != nullptr)
        listener->onMapPageMouseMove(x, y);
}

void MapPage::Handler::onWindowMouseLeftDoubleClick(int x, int y, void*)
{
    if (listener != nullptr)
        listener->onMapPageLeftDoubleClick(x, y);
}

void MapPage::Handler::onWindowMouseRightDown(int x, int y, void*)
{
    if (listener != nullptr)
        listener->onMapPageRightDown(x, y);
}

void MapPage::Handler::onWindowRestore(HDC dc, const RECT& area)
{
    if (listener != nullptr)
        listener->onMapPagePaint(dc, area);
}

bool MapPage::Handler::onWindowEraseBackground(HDC dc)
{
    RECT client;
    window->getClientArea(client);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &client, white);
    DeleteObject(white);
    return true;
}
