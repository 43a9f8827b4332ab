#pragma once

#include "WExport.h"
#include "WString.h"

// Base of every failure the library and the program report. It carries the
// class name, a message, a small numeric id and the system error code that
// was current when the exception was made; toString() renders all four.
// Subclasses add no fields, so exceptions copy and slice safely.
class QUARN2_API WException {
public:
    WException();
    explicit WException(const char* message);
    WException(const char* message, int id);
    // Chained form: the cause's report, then "\r\n   ->" and the message.
    WException(const WException& cause, const char* message, int id);
    WException(const WException& other);
    WException& operator=(const WException& other);

    int getId() const { return id; }
    const char* getName() const { return name; }
    const WString& getMessage() const { return message; }
    unsigned long getSysErrCode() const { return systemError; }

    // "%s: %s (id=%i, syserr=%.8Xh)" with name, message, id and system error.
    virtual const WString& toString() const;
    // The operating system's own text for the system error, empty when it has none.
    const WString& getUserMessage() const;

protected:
    void set(const char* name, const char* message, int id, unsigned long systemError);
    void set(const char* name, const WException& cause, const char* message, int id);

    int id;
    const char* name;
    WString message;
    unsigned long systemError;
    mutable WFormattedString report;
};

// One subclass per failure family; each names itself and captures the
// thread's last system error when constructed.
#define QUARN2_DECLARE_EXCEPTION(Class)                                                  \
    class QUARN2_API Class : public WException {                                         \
    public:                                                                              \
        explicit Class(const char* message);                                             \
        Class(const char* message, int id);                                              \
        Class(const Class& other) = default;                                             \
        Class& operator=(const Class& other) = default;                                  \
    };

QUARN2_DECLARE_EXCEPTION(WMemoryException)
QUARN2_DECLARE_EXCEPTION(WDateException)
QUARN2_DECLARE_EXCEPTION(WFontException)
QUARN2_DECLARE_EXCEPTION(WSystemException)
QUARN2_DECLARE_EXCEPTION(WFileException)
QUARN2_DECLARE_EXCEPTION(WEOFException)
QUARN2_DECLARE_EXCEPTION(WFileNotFoundException)
QUARN2_DECLARE_EXCEPTION(WThreadException)
QUARN2_DECLARE_EXCEPTION(WPaletteException)
QUARN2_DECLARE_EXCEPTION(WBitmapException)
QUARN2_DECLARE_EXCEPTION(WControlException)
QUARN2_DECLARE_EXCEPTION(WDialogException)
QUARN2_DECLARE_EXCEPTION(WImageListException)
QUARN2_DECLARE_EXCEPTION(WMenuException)
QUARN2_DECLARE_EXCEPTION(WSocketException)
QUARN2_DECLARE_EXCEPTION(WUnknownHostException)

#undef QUARN2_DECLARE_EXCEPTION
