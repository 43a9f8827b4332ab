// Coastlines from "worldmap.txt": one point per line as fractions of the full
// circle, x = (lon + 180) / 360 and y = (lat + 90) / 360, a decimal point or
// comma; a line whose first number exceeds 1 lifts the pen.
#include "Coastlines.h"
#include "GdiPlusHandles.h"
#include "OrvexMap.h"
#include "WFile.h"
#include "WGdiSelection.h"

int OrvexMap::coastlinePenWidth() const
{
    return devicePixels(orthographic ? 2 : 1);
}

void OrvexMap::drawCoastlines(HDC dc)
{
    CoastlineTracer tracer(*this);
    GdiObject pen(CreatePen(PS_SOLID, coastlinePenWidth(), RGB(0, 0, 0)));
    WGdiSelection selected(dc, pen);
    WFile file;
    file.open("worldmap.txt", static_cast<unsigned long>(WFile::MODE_READ));
    WString line;
    while (file.readln(line)) {
        if (line.length() == 0)
            continue;
        line.replace(',', '.');
        CoastlineStep step;
        if (!tracer.trace(readCoastlinePoint(line), step))
            continue;
        if (step.line)
            LineTo(dc, step.pixel.x, step.pixel.y);
        else
            MoveToEx(dc, step.pixel.x, step.pixel.y, nullptr);
    }
    file.close();
}
