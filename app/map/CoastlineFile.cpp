#include "CoastlineFile.h"

#include <cstring>

#include "WException.h"
#include "WFile.h"

namespace {
const unsigned long pieceSize = 1 << 20;
}

bool CoastlineFile::Identity::operator==(const Identity& other) const
{
    return volume == other.volume && index == other.index && size == other.size &&
           lastWrite.QuadPart == other.lastWrite.QuadPart &&
           lastChange.QuadPart == other.lastChange.QuadPart;
}

bool CoastlineFile::identify(HANDLE file, Identity& identity)
{
    BY_HANDLE_FILE_INFORMATION information;
    FILE_BASIC_INFO times;
    if (!GetFileInformationByHandle(file, &information) ||
        !GetFileInformationByHandleEx(file, FileBasicInfo, &times, sizeof times))
        return false;
    identity.volume = information.dwVolumeSerialNumber;
    identity.index =
        (static_cast<ULONGLONG>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    identity.size =
        (static_cast<ULONGLONG>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    identity.lastWrite = times.LastWriteTime;
    identity.lastChange = times.ChangeTime;
    return true;
}

const std::vector<CoastlinePoint>& CoastlineFile::points(const char* name)
{
    WFile file;
    file.open(name, static_cast<unsigned long>(WFile::MODE_READ));
    Identity identity;
    bool known = identify(static_cast<HANDLE>(file.getFileHandle()), identity);
    if (valid && known && identity == keptIdentity)
        return kept;

    valid = false;
    kept.clear();
    std::vector<char> piece(pieceSize);
    CoastlineLine line;
    CoastlinePoint point;
    for (bool atEnd = false; !atEnd;) {
        unsigned long got;
        try {
            got = file.read(piece.data(), pieceSize);
        } catch (const WEOFException&) {
            got = file.getEOFBytes();
            atEnd = true;
        }
        const char* begin = piece.data();
        const char* end = begin + got;
        while (begin < end) {
            const char* feed = static_cast<const char*>(std::memchr(begin, '\n', end - begin));
            if (feed == nullptr) {
                line.add(begin, end);
                break;
            }
            line.add(begin, feed);
            if (line.finish(point))
                kept.push_back(point);
            begin = feed + 1;
        }
    }
    if (line.finish(point))
        kept.push_back(point);
    keptIdentity = identity;
    valid = known;
    ++version;
    return kept;
}
