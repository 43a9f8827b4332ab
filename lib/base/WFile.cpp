#include "WFile.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstring>
#include <string>

#include "WException.h"
#include "WFileInfo.h"
#include "WSystem.h"
#include "WUnicode.h"

namespace {
const int readAheadSize = 128;
}

WFile::WFile() : handle(nullptr), stream(nullptr)
{
    resetFields();
}

WFile::WFile(const char* name) : WFile()
{
    open(name, static_cast<unsigned long>(MODE_READ));
}

WFile::WFile(void* handle, bool seekable, bool closable) : WFile()
{
    open(handle, seekable, closable);
}

WFile::~WFile()
{
    close();
}

void WFile::resetFields()
{
    handle = nullptr;
    stream = nullptr;
    posMode = 0;
    endFlag = false;
    markPos = 0;
    eofBytes = 0;
    seekable = true;
    sizeUnknown = false;
    bytesRead = 0;
    closable = true;
    bufferFill = 0;
    bufferPos = 0;
}

void WFile::open(const char* fileNameText, unsigned long mode)
{
    // The name may be this file's own name, which closing frees.
    WString name(fileNameText);
    close();
    forget();
    wchar_t wide[MAX_PATH + 1];
    WUnicode::toWide(name, wide, MAX_PATH + 1);

    DWORD access = 0;
    if (mode & MODE_READ)
        access |= GENERIC_READ;
    if (mode & MODE_WRITE)
        access |= GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    if (mode & MODE_APPEND)
        disposition = OPEN_ALWAYS;
    else if (mode & MODE_CREATE)
        disposition = CREATE_ALWAYS;

    HANDLE h = CreateFileW(wide, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            SetLastError(error);
            throw WFileNotFoundException(
                WFormattedString("File not found: %s", static_cast<const char*>(name)));
        }
        SetLastError(error);
        throw WFileException(
            WFormattedString("Cannot open file: %s", static_cast<const char*>(name)), -2);
    }
    // A directory opens only with backup semantics, but refuse it explicitly
    // in case a file system lets it through: it is not a file.
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(h);
        SetLastError(ERROR_ACCESS_DENIED);
        throw WFileException(
            WFormattedString("Cannot open file: %s", static_cast<const char*>(name)), -2);
    }
    handle = h;
    if (mode & MODE_APPEND) {
        LARGE_INTEGER zero;
        zero.QuadPart = 0;
        if (!SetFilePointerEx(h, zero, nullptr, FILE_END)) {
            DWORD error = GetLastError();
            close();
            SetLastError(error);
            throw WFileException("Cannot set file pointer.", -5);
        }
    }
    fileName = name;
}

void WFile::open(const char* name, bool)
{
    open(name, static_cast<unsigned long>(MODE_READ));
}

void WFile::open(void* existing, bool seekable, bool closable)
{
    close();
    forget();
    handle = existing;
    this->seekable = seekable;
    this->closable = closable;
    if (!seekable) {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(static_cast<HANDLE>(handle), &size))
            sizeUnknown = true;
    }
}

void WFile::create(const char* name, bool append)
{
    unsigned long mode = MODE_READ | MODE_WRITE | MODE_CREATE;
    if (append)
        mode |= MODE_APPEND;
    open(name, mode);
}

void WFile::close()
{
    if (!closable)
        return;
    if (stream != nullptr)
        fclose(stream);
    else if (handle != nullptr)
        CloseHandle(static_cast<HANDLE>(handle));
    forget();
}

void WFile::forget()
{
    fileName.clear();
    resetFields();
}

unsigned long WFile::read(void* buffer, unsigned long n)
{
    unsigned char* out = static_cast<unsigned char*>(buffer);
    unsigned long fromBuffer = 0;
    if (bufferPos > 0) {
        unsigned long rest = static_cast<unsigned long>(bufferFill - bufferPos);
        if (n <= rest) {
            std::memcpy(out, readAhead + bufferPos, n);
            bufferPos += static_cast<int>(n);
            return n;
        }
        std::memcpy(out, readAhead + bufferPos, rest);
        out += rest;
        n -= rest;
        fromBuffer = rest;
        // The read-ahead is used up; an empty one keeps getPos() right.
        bufferPos = 0;
        bufferFill = 0;
    }
    DWORD got = 0;
    if (!endFlag && n > 0) {
        if (!ReadFile(static_cast<HANDLE>(handle), out, n, &got, nullptr)) {
            if (GetLastError() != ERROR_BROKEN_PIPE)
                throw WFileException("Cannot read file.", -4);
            got = 0;
        }
    }
    bytesRead += static_cast<int>(got);
    if (got < n) {
        // Everything delivered counts, read-ahead bytes included.
        eofBytes = fromBuffer + got;
        endFlag = true;
        throw WEOFException("End of file reached.");
    }
    return fromBuffer + got;
}

int WFile::readByte()
{
    unsigned char byte = 0;
    read(&byte, 1);
    return byte;
}

bool WFile::readln(WString& line, bool stripCarriageReturn)
{
    eofBytes = 0;
    line.truncate(0);
    // The line is gathered in a buffer that grows geometrically and handed to
    // the string once: appending read-ahead pieces to the exact-fit string
    // would copy a long line again for every 128 bytes.
    std::string pending;
    auto handOver = [&] {
        size_t n = pending.size();
        if (stripCarriageReturn && n > 0 && pending[n - 1] == '\r')
            --n;
        line.assign(pending.data(), static_cast<unsigned long>(n));
    };
    for (;;) {
        if (bufferPos == 0 || bufferPos >= bufferFill) {
            bufferFill = 0;
            bufferPos = 0;
            try {
                read(readAhead, readAheadSize);
                bufferFill = readAheadSize;
            } catch (const WEOFException&) {
                if (eofBytes == 0) {
                    bufferFill = 0;
                    handOver();
                    return !pending.empty();
                }
                bufferFill = static_cast<int>(eofBytes);
                endFlag = false;
            }
        }
        const unsigned char* start = readAhead + bufferPos;
        const void* lf = std::memchr(start, '\n', static_cast<size_t>(bufferFill - bufferPos));
        if (lf != nullptr) {
            int taken = static_cast<int>(static_cast<const unsigned char*>(lf) - start);
            pending.append(reinterpret_cast<const char*>(start), static_cast<size_t>(taken));
            bufferPos += taken + 1;
            break;
        }
        pending.append(reinterpret_cast<const char*>(start),
                       static_cast<size_t>(bufferFill - bufferPos));
        bufferPos = bufferFill;
    }
    handOver();
    if (seekable) {
        // Hand the unread read-ahead back to the system position, so that the
        // file position stands just after the line feed.
        int unread = bufferFill - bufferPos;
        if (unread > 0)
            movePointer(-static_cast<long long>(unread), FILE_CURRENT);
        bufferFill = 0;
        bufferPos = 0;
        endFlag = false;
    }
    return true;
}

bool WFile::readln(WString& line)
{
    return readln(line, true);
}

void WFile::write(const void* data, unsigned long n)
{
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(handle), data, n, &written, nullptr) || written != n)
        throw WFileException("Cannot write file.", -3);
}

void WFile::write(const char* text)
{
    write(text, static_cast<unsigned long>(std::strlen(text)));
}

void WFile::writeln(const char* text)
{
    write(text);
    write("\r\n", 2);
}

void WFile::writeln(const WString& line)
{
    write(static_cast<const char*>(line), line.length());
    write("\r\n", 2);
}

void WFile::flush()
{
    if (!FlushFileBuffers(static_cast<HANDLE>(handle)))
        throw WFileException("Cannot flush file.", -5);
}

void WFile::movePointer(long long distance, int method)
{
    LARGE_INTEGER move;
    move.QuadPart = distance;
    if (!SetFilePointerEx(static_cast<HANDLE>(handle), move, nullptr, static_cast<DWORD>(method)))
        throw WFileException("Cannot set file pointer.", -5);
    // A read that met the old end must not stop reads from the new position.
    endFlag = false;
}

void WFile::setPos(int distance)
{
    if (sizeUnknown)
        return;
    movePointer(distance, posMode);
}

void WFile::skip(int distance)
{
    if (sizeUnknown)
        return;
    movePointer(distance, FILE_CURRENT);
}

unsigned long long WFile::getPos()
{
    if (!seekable)
        return static_cast<unsigned long long>(bytesRead - bufferFill + bufferPos);
    LARGE_INTEGER zero;
    LARGE_INTEGER position;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(static_cast<HANDLE>(handle), zero, &position, FILE_CURRENT))
        throw WFileException("Cannot get file pointer.", -5);
    return static_cast<unsigned long long>(position.QuadPart);
}

unsigned long long WFile::getSize()
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(static_cast<HANDLE>(handle), &size))
        throw WFileException("Cannot get file size.", -5);
    return static_cast<unsigned long long>(size.QuadPart);
}

void WFile::mark()
{
    markPos = getPos();
}

void WFile::reset()
{
    if (sizeUnknown)
        return;
    movePointer(static_cast<long long>(markPos), FILE_BEGIN);
}

bool WFile::isEOF()
{
    if (sizeUnknown)
        return handle == nullptr || endFlag;
    return getSize() == getPos();
}

FILE* WFile::getFileStream()
{
    if (stream == nullptr && handle != nullptr) {
        int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_RDWR);
        if (fd != -1)
            stream = _fdopen(fd, "rb+");
    }
    return stream;
}

void WFile::getFileInfo(WFileInfo& info)
{
    HANDLE h = static_cast<HANDLE>(handle);
    FILETIME created = {0, 0};
    FILETIME accessed = {0, 0};
    FILETIME modified = {0, 0};
    GetFileTime(h, &created, &accessed, &modified);
    info.attributes = FILE_ATTRIBUTE_NORMAL;
    WSystem::windowsTime2CTime(created, info.timeCreation);
    WSystem::windowsTime2CTime(accessed, info.timeLastAccess);
    WSystem::windowsTime2CTime(modified, info.timeLastModified);
    info.fileName = fileName;
    unsigned long long size = getSize();
    info.sizeLow = static_cast<unsigned long>(size & 0xFFFFFFFFu);
    info.sizeHigh = static_cast<unsigned long>(size >> 32);
}
