#include "WException.h"

#include <winsock2.h>
#include <windows.h>

WException::WException() : id(0), name("WException"), systemError(0) {}

WException::WException(const char* message) : WException(message, 0) {}

WException::WException(const char* message, int id)
    : id(id), name("WException"), message(message), systemError(0)
{
}

WException::WException(const WException& cause, const char* message, int id) : WException()
{
    set("WException", cause, message, id);
}

WException::WException(const WException& other)
    : id(other.id), name(other.name), message(other.message), systemError(other.systemError)
{
}

WException& WException::operator=(const WException& other)
{
    id = other.id;
    name = other.name;
    message = other.message;
    systemError = other.systemError;
    return *this;
}

void WException::set(const char* name, const char* message, int id, unsigned long systemError)
{
    this->name = name;
    this->message = message;
    this->id = id;
    this->systemError = systemError;
}

void WException::set(const char* name, const WException& cause, const char* message, int id)
{
    WString chained(cause.toString());
    chained += "\r\n   ->";
    chained += message;
    set(name, chained, id, cause.systemError);
}

const WString& WException::toString() const
{
    report.format("%s: %s (id=%i, syserr=%.8lXh)", name, static_cast<const char*>(message), id,
                  systemError);
    return report;
}

const WString& WException::getUserMessage() const
{
    if (report.getBufLength() < 2)
        report.resize(1024);
    DWORD count = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, systemError, 0, const_cast<char*>(
                                     static_cast<const char*>(report)),
                                 report.getBufLength(), nullptr);
    report.truncate(count);
    return report;
}

namespace {
// Exceptions of the socket family report the socket library's error instead.
unsigned long lastSystemError()
{
    return GetLastError();
}
unsigned long lastSocketError()
{
    return static_cast<unsigned long>(WSAGetLastError());
}
unsigned long noSystemError()
{
    return 0;
}
}

#define QUARN2_DEFINE_EXCEPTION(Class, errorSource)                                      \
    Class::Class(const char* message)                                                    \
    {                                                                                    \
        unsigned long error = errorSource();                                             \
        set(#Class, message, -1, error);                                                 \
    }                                                                                    \
    Class::Class(const char* message, int id)                                            \
    {                                                                                    \
        unsigned long error = errorSource();                                             \
        set(#Class, message, id, error);                                                 \
    }

QUARN2_DEFINE_EXCEPTION(WMemoryException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WDateException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WFontException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WSystemException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WFileException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WEOFException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WFileNotFoundException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WThreadException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WPaletteException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WBitmapException, noSystemError)
QUARN2_DEFINE_EXCEPTION(WControlException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WDialogException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WImageListException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WMenuException, lastSystemError)
QUARN2_DEFINE_EXCEPTION(WSocketException, lastSocketError)
QUARN2_DEFINE_EXCEPTION(WUnknownHostException, lastSocketError)
