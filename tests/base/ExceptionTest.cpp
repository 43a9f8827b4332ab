#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "WException.h"

namespace {
std::string text(const WString& s)
{
    return std::string(static_cast<const char*>(s), s.length());
}

template <class E> void expectSubclass(const char* name)
{
    SetLastError(0x20);
    E oneArgument("m");
    EXPECT_STREQ(name, oneArgument.getName());
    EXPECT_EQ(-1, oneArgument.getId()) << name;
    EXPECT_EQ(std::string(name) + ": m (id=-1, syserr=00000020h)", text(oneArgument.toString()));
    E twoArguments("n", -7);
    EXPECT_EQ(-7, twoArguments.getId()) << name;
    EXPECT_EQ("n", text(twoArguments.getMessage())) << name;
}
}

TEST(WExceptionTest, FieldsAndReport)
{
    WException plain;
    EXPECT_STREQ("WException", plain.getName());
    EXPECT_EQ(0, plain.getId());
    EXPECT_EQ(0UL, plain.getSysErrCode());
    EXPECT_EQ(0UL, plain.getMessage().length());

    SetLastError(5);
    WException base("boom");
    EXPECT_EQ(0, base.getId()) << "the base class's one-argument form has id 0";
    EXPECT_EQ(0UL, base.getSysErrCode()) << "the base class captures no system error";
    EXPECT_EQ("WException: boom (id=0, syserr=00000000h)", text(base.toString()));

    SetLastError(5);
    WFileException readError("Cannot read file.", -4);
    EXPECT_EQ(5UL, readError.getSysErrCode());
    EXPECT_EQ("WFileException: Cannot read file. (id=-4, syserr=00000005h)",
              text(readError.toString()));
    const WException& viaBase = readError;
    EXPECT_EQ("WFileException: Cannot read file. (id=-4, syserr=00000005h)",
              text(viaBase.toString()))
        << "toString is virtual";

    SetLastError(0xDEADBEEF);
    WSystemException big("x", -2);
    EXPECT_EQ("WSystemException: x (id=-2, syserr=DEADBEEFh)", text(big.toString()));

    SetLastError(2);
    WFileNotFoundException missing("File not found: a.txt");
    EXPECT_EQ(-1, missing.getId());
    EXPECT_EQ(0U,
              text(missing.toString()).rfind("WFileNotFoundException: File not found: a.txt", 0));

    expectSubclass<WMemoryException>("WMemoryException");
    expectSubclass<WDateException>("WDateException");
    expectSubclass<WFontException>("WFontException");
    expectSubclass<WSystemException>("WSystemException");
    expectSubclass<WFileException>("WFileException");
    expectSubclass<WEOFException>("WEOFException");
    expectSubclass<WFileNotFoundException>("WFileNotFoundException");
    expectSubclass<WThreadException>("WThreadException");
    expectSubclass<WPaletteException>("WPaletteException");
    expectSubclass<WControlException>("WControlException");
    expectSubclass<WDialogException>("WDialogException");
    expectSubclass<WImageListException>("WImageListException");
    expectSubclass<WMenuException>("WMenuException");

    SetLastError(5);
    WBitmapException bitmap("b");
    EXPECT_EQ(0UL, bitmap.getSysErrCode()) << "bitmap exceptions store 0";
    EXPECT_EQ(-1, bitmap.getId());

    // The socket library's last error is the thread's last error.
    SetLastError(10061);
    WSocketException socket("s", -3);
    EXPECT_EQ(10061UL, socket.getSysErrCode()) << "socket exceptions take the socket error";
    SetLastError(11001);
    WUnknownHostException host("h", -1);
    EXPECT_EQ(11001UL, host.getSysErrCode());
    EXPECT_STREQ("WUnknownHostException", host.getName());
}

TEST(WExceptionTest, ChainingAndCopies)
{
    SetLastError(5);
    WFileException cause("Cannot read file.", -4);
    WException chained(cause, "Loading failed.", -9);
    EXPECT_STREQ("WException", chained.getName());
    EXPECT_EQ(-9, chained.getId());
    EXPECT_EQ(5UL, chained.getSysErrCode()) << "the cause's system error is kept";
    EXPECT_EQ("WFileException: Cannot read file. (id=-4, syserr=00000005h)\r\n   ->Loading failed.",
              text(chained.getMessage()));
    EXPECT_EQ("WException: WFileException: Cannot read file. (id=-4, syserr=00000005h)\r\n"
              "   ->Loading failed. (id=-9, syserr=00000005h)",
              text(chained.toString()));

    WException twice(chained, "Outer.", -1);
    EXPECT_EQ(5UL, twice.getSysErrCode());
    EXPECT_EQ(text(chained.toString()) + "\r\n   ->Outer.", text(twice.getMessage()));

    WException copy(cause);
    EXPECT_EQ(5UL, copy.getSysErrCode()) << "a copy keeps the system error";
    EXPECT_STREQ("WFileException", copy.getName());
    EXPECT_EQ(-4, copy.getId());
    EXPECT_EQ(text(cause.toString()), text(copy.toString()));

    SetLastError(0);
    WFileException assigned("other", -1);
    assigned = cause;
    EXPECT_EQ(5UL, assigned.getSysErrCode());
    EXPECT_EQ("Cannot read file.", text(assigned.getMessage()));

    WException base;
    base = cause;
    EXPECT_EQ(5UL, base.getSysErrCode());
    EXPECT_STREQ("WFileException", base.getName());

    try {
        SetLastError(3);
        throw WFileNotFoundException("File not found: x");
    } catch (const WException& e) {
        EXPECT_EQ(3UL, e.getSysErrCode()) << "caught by base reference";
        EXPECT_STREQ("WFileNotFoundException", e.getName());
    }
}

TEST(WExceptionTest, UserMessage)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    WFileException notFound("x", -2);
    std::string message = text(notFound.getUserMessage());
    EXPECT_FALSE(message.empty()) << "the system has a text for error 2";
    EXPECT_EQ(message.size(), std::strlen(notFound.getUserMessage())) << "length and text agree";
    EXPECT_EQ("WFileException: x (id=-2, syserr=00000002h)", text(notFound.toString()))
        << "report buffer reused by both calls";

    SetLastError(0x3FFFFF0F);
    WFileException unknown("x", -2);
    EXPECT_EQ("", text(unknown.getUserMessage())) << "no text for an unknown code";
    EXPECT_STREQ("", static_cast<const char*>(unknown.getUserMessage()));
}
