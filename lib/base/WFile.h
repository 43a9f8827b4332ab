#pragma once

#include <cstdio>

#include "WExport.h"
#include "WString.h"

class WFileInfo;

// A system file handle with byte I/O, positioning and a line reader with a
// 128-byte read-ahead. Names are UTF-8. Every failure is a WFileException
// (or WFileNotFoundException / WEOFException); nothing returns error codes.
class QUARN2_API WFile {
public:
    // Mode bits for open(name, mode).
    enum { MODE_READ = 1, MODE_WRITE = 2, MODE_CREATE = 4, MODE_APPEND = 8 };

    WFile();
    explicit WFile(const char* name);
    WFile(void* handle, bool seekable, bool closable);
    WFile(const WFile&) = delete;
    WFile& operator=(const WFile&) = delete;
    virtual ~WFile();

    void open(const char* name, unsigned long mode);
    // Opens an existing file for reading; the flag is accepted for callers
    // that pass it and selects nothing else.
    void open(const char* name, bool unused);
    void open(void* handle, bool seekable, bool closable);
    void create(const char* name, bool append);
    void close();
    void setClosable(bool closable) { this->closable = closable; }
    bool isOpen() const { return handle != nullptr; }

    unsigned long read(void* buffer, unsigned long n);
    int readByte();
    // False when no more line exists. A line ends at a line feed only.
    bool readln(WString& line, bool stripCarriageReturn);
    virtual bool readln(WString& line);

    void write(const void* data, unsigned long n);
    void write(const char* text);
    void writeln(const char* text);
    virtual void writeln(const WString& line);
    void flush();

    void setPosMode(int mode) { posMode = mode; }
    void setPos(int distance);
    void skip(int distance);
    // 64-bit: grid files and inputs may exceed 4 GB.
    unsigned long long getPos();
    unsigned long long getSize();
    void mark();
    void reset();
    bool isEOF();
    unsigned long getEOFBytes() const { return eofBytes; }

    const WString& getFilename() const { return fileName; }
    void* getFileHandle() const { return handle; }
    operator void*() const { return handle; }
    FILE* getFileStream();
    operator FILE*() { return getFileStream(); }
    void getFileInfo(WFileInfo& info);

private:
    void resetFields();
    // Drops the handle without closing it (a borrowed one stays open).
    void forget();
    void movePointer(long long distance, int method);

    void* handle;
    WString fileName;
    int posMode;
    bool endFlag;
    unsigned long long markPos;
    unsigned long eofBytes;
    bool seekable;
    bool sizeUnknown;
    int bytesRead;
    bool closable;
    unsigned char readAhead[128];
    int bufferFill;
    int bufferPos;
    FILE* stream;
};
