#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "WException.h"
#include "WString.h"

namespace {
std::string bytes(const WString& s)
{
    return std::string(static_cast<const char*>(s), s.length());
}
}

TEST(WStringTest, ExactFitCapacityAndSharedEmptyBuffer)
{
    WString a;
    WString b;
    EXPECT_EQ(0UL, a.length());
    EXPECT_EQ(1UL, a.getBufLength());
    EXPECT_STREQ("", static_cast<const char*>(a));
    EXPECT_EQ(static_cast<const char*>(a), static_cast<const char*>(b))
        << "empty strings share one static byte";
    EXPECT_EQ(static_cast<const char*>(a), static_cast<const char*>(WString(0UL)));

    WString reserved(10UL);
    EXPECT_EQ(0UL, reserved.length());
    EXPECT_EQ(11UL, reserved.getBufLength());
    EXPECT_STREQ("", static_cast<const char*>(reserved));

    WString s("abc");
    EXPECT_EQ(4UL, s.getBufLength());
    s.clear();
    EXPECT_EQ(0UL, s.length());
    EXPECT_EQ(1UL, s.getBufLength());
    EXPECT_EQ(static_cast<const char*>(a), static_cast<const char*>(s)) << "clear frees";

    WString shorter("abcdef");
    shorter = "ab";
    EXPECT_EQ(2UL, shorter.length());
    EXPECT_EQ(7UL, shorter.getBufLength()) << "assignment never shrinks";
    EXPECT_STREQ("ab", static_cast<const char*>(shorter));

    WString grown("ab");
    EXPECT_EQ(3UL, grown.getBufLength());
    grown += "xyz";
    EXPECT_EQ(6UL, grown.getBufLength()) << "growth is exact, no slack";
    EXPECT_STREQ("abxyz", static_cast<const char*>(grown));

    WString sized("abcdef");
    sized.resize(3);
    EXPECT_EQ(3UL, sized.length());
    EXPECT_EQ(4UL, sized.getBufLength());
    EXPECT_EQ("abc", bytes(sized));
    sized.resize(10);
    EXPECT_EQ(3UL, sized.length());
    EXPECT_EQ(11UL, sized.getBufLength());
    EXPECT_EQ("abc", bytes(sized));

    WString fromShared;
    fromShared.resize(5);
    EXPECT_EQ(0UL, fromShared.length());
    EXPECT_EQ(6UL, fromShared.getBufLength());
    EXPECT_STREQ("", static_cast<const char*>(fromShared));

    WString self("ab");
    self.append(self);
    EXPECT_EQ("abab", bytes(self)) << "appending a string to itself";
    self.append(static_cast<const char*>(self) + 1);
    EXPECT_EQ("ababbab", bytes(self)) << "appending a tail of its own buffer";

    WString copy(self);
    copy.replace('a', 'x');
    EXPECT_EQ("ababbab", bytes(self)) << "copies are deep";
    EXPECT_EQ("xbxbbxb", bytes(copy));

    WString cut("abcdef");
    cut.truncate(2);
    EXPECT_EQ("ab", bytes(cut));
    cut.truncate(100);
    EXPECT_EQ(6UL, cut.length()) << "pos beyond capacity is capacity - 1";
    cut.fill('z');
    EXPECT_EQ("zzzzzz", bytes(cut));
    WString emptyCut;
    emptyCut.truncate(0);
    emptyCut.fill('z');
    EXPECT_EQ(0UL, emptyCut.length());
    EXPECT_STREQ("", static_cast<const char*>(a)) << "the shared byte stays zero";
}

TEST(WStringTest, AssignAndAppendForms)
{
    WString s;
    s.append(65);
    EXPECT_EQ("A", bytes(s)) << "append(int) appends one character, not a number";
    s.append(0x1E4);
    EXPECT_EQ(2UL, s.length());
    EXPECT_EQ(-28, s.charAt(1)) << "only the low 8 bits are appended";

    const char raw[] = {'a', 0, 'b'};
    WString withZero(raw, 3UL);
    EXPECT_EQ(3UL, withZero.length());
    EXPECT_EQ(std::string(raw, 3), bytes(withZero));
    WString copied;
    copied = withZero;
    EXPECT_EQ(3UL, copied.length()) << "assignment copies embedded zeros";
    const unsigned char uraw[] = {0xE4, 0, 0x41};
    WString fromUnsigned(uraw, 3UL);
    EXPECT_EQ(-28, fromUnsigned.charAt(0));
    fromUnsigned.append(uraw, 2UL);
    EXPECT_EQ(5UL, fromUnsigned.length());

    WString range;
    range.assign("0123456789", 2UL, 5UL);
    EXPECT_EQ("234", bytes(range));

    WString left("ab");
    EXPECT_EQ("abcd", bytes(left + "cd"));
    EXPECT_EQ("cdab", bytes("cd" + left));
    EXPECT_EQ("abab", bytes(left + left));
    WString joined = left + WString("xyz");
    EXPECT_EQ(6UL, joined.getBufLength()) << "concatenation result is exact-fit";
}

TEST(WStringTest, Trim)
{
    WString s(" \tvalue \r");
    EXPECT_EQ("value", bytes(s.trim()));
    WString lf("value\n");
    EXPECT_EQ("value\n", bytes(lf.trim())) << "a line feed is not a blank";
    WString blanks("   ");
    blanks.trim();
    EXPECT_EQ(0UL, blanks.length());
    EXPECT_EQ(4UL, blanks.getBufLength()) << "trim keeps the capacity";
    EXPECT_STREQ("", static_cast<const char*>(blanks));
    WString zeros("ab \0\0", 5UL);
    EXPECT_EQ("ab", bytes(zeros.trim())) << "trailing zero bytes inside the length go";
    WString single("x");
    EXPECT_EQ("x", bytes(single.trim()));
    WString inner("  a b  ");
    EXPECT_EQ("a b", bytes(inner.trim()));
    WString empty;
    EXPECT_EQ(0UL, empty.trim().length());
}

TEST(WStringTest, ReadingAndSearching)
{
    WString path("C:\\dir\\file");
    EXPECT_EQ(6, path.lastIndexOf('\\'));
    EXPECT_EQ(0, WString("\\file").lastIndexOf('\\'));
    EXPECT_EQ(-1, WString("file").lastIndexOf('\\'));
    EXPECT_EQ(-1, WString().lastIndexOf('\0')) << "the terminator is not searched";

    EXPECT_EQ(2, path.indexOf("\\"));
    EXPECT_EQ(0, path.indexOf(""));
    EXPECT_EQ(-1, path.indexOf("xyz"));

    WString umlaut("z\xE4");
    EXPECT_EQ(-28, umlaut.charAt(1));
    EXPECT_EQ(-28, umlaut[1]);
    EXPECT_EQ(-1, umlaut.charAt(2)) << "charAt(length)";
    EXPECT_EQ('z', umlaut[0]);

    EXPECT_TRUE(path.startsWith("C:"));
    EXPECT_TRUE(path.startsWith(""));
    EXPECT_FALSE(WString("C").startsWith("C:"));
    EXPECT_TRUE(path.startsWith('C'));
    EXPECT_TRUE(WString("\xE4x").startsWith(-28)) << "the first byte is read signed";
    EXPECT_TRUE(WString().startsWith(0)) << "an empty string compares its terminator";

    WString text("abcdef");
    WString out("unchanged");
    text.substring(2, 4, out);
    EXPECT_EQ("cd", bytes(out));
    text.substring(6, out);
    EXPECT_EQ("", bytes(out));
    text.substring(3, out);
    EXPECT_EQ("def", bytes(out));
    text.substring(2, 7, out);
    EXPECT_EQ("", bytes(out)) << "end beyond the length";
    text.substring(0, 6, out);
    EXPECT_EQ("abcdef", bytes(out));

    WString key("k");
    WString value("v");
    EXPECT_TRUE(WString("key = value").split("=", key, value, true));
    EXPECT_EQ("key", bytes(key));
    EXPECT_EQ("value", bytes(value));
    EXPECT_TRUE(WString("a:=b:=c").split(":=", key, value, false));
    EXPECT_EQ("a", bytes(key));
    EXPECT_EQ("b:=c", bytes(value)) << "split at the first separator, past its whole length";
    EXPECT_TRUE(WString(" a = ").split("=", key, value, false));
    EXPECT_EQ(" a ", bytes(key));
    EXPECT_EQ(" ", bytes(value));
    EXPECT_FALSE(WString("novalue").split("=", key, value, true));
    EXPECT_EQ(" a ", bytes(key)) << "a failed split leaves both outputs";
    EXPECT_EQ(" ", bytes(value));
}

TEST(WStringTest, Comparison)
{
    WString ab0("a\0b", 3UL);
    WString ac0("a\0c", 3UL);
    EXPECT_FALSE(ab0.equals(ac0)) << "embedded zeros take part in equals(WString)";
    EXPECT_FALSE(ab0 == ac0);
    EXPECT_TRUE(ab0 == WString("a\0b", 3UL));
    EXPECT_FALSE(ab0 == WString("a")) << "lengths differ";
    EXPECT_TRUE(ab0 == "a") << "comparison with char* stops at the first zero";
    EXPECT_TRUE(ac0 == "a");
    EXPECT_TRUE("a" == ac0);
    EXPECT_TRUE(ab0.equals("a"));
    EXPECT_TRUE(WString("abcdefgh1").equals(WString("abcdefgh1")));
    EXPECT_FALSE(WString("abcdefgh1").equals(WString("abcdefgh2")));

    EXPECT_EQ(-1, WString("a").compare("b"));
    EXPECT_EQ(1, WString("b").compare("a"));
    EXPECT_EQ(0, WString("a").compare(WString("a")));
    EXPECT_EQ(1, WString("\xE4").compare("z")) << "bytes compare unsigned";
    EXPECT_EQ(-1, WString("z").compare(WString("\xE4")));
    EXPECT_EQ(-1, WString("ab").compare("abc"));
}

TEST(WStringTest, Transformations)
{
    WString s("Hello World");
    EXPECT_EQ("HELLO WORLD", bytes(WString(s).toUpperCase()));
    EXPECT_EQ("hello world", bytes(s.toLowerCase()));
    EXPECT_EQ("hello_world", bytes(s.replace(' ', '_')));
    WString withZero("a\0a", 3UL);
    withZero.replace('a', 'b');
    EXPECT_EQ(std::string("b\0b", 3), bytes(withZero)) << "replace works on the whole length";
    WString empty;
    EXPECT_EQ(0UL, empty.toUpperCase().replace('\0', 'x').length());
}

TEST(WStringTest, FormattedStrings)
{
    std::string longText(2000, 'x');
    longText[1023] = 'y';
    WFormattedString cut("%s", longText.c_str());
    EXPECT_EQ(1024UL, cut.length()) << "output is cut at 1024 characters";
    EXPECT_EQ(1025UL, cut.getBufLength());
    EXPECT_EQ('y', cut.charAt(1023));
    EXPECT_EQ(std::string(longText, 0, 1024), bytes(cut));

    WFormattedString f("%s=%i;%u;%.8X;%.2f;%%", "k", -3, 7u, 0xABCu, 2.5);
    EXPECT_EQ("k=-3;7;00000ABC;2.50;%", bytes(f));

    WFormattedString small(10UL);
    small.format("%s", "0123456789abc");
    EXPECT_EQ("0123456789", bytes(small)) << "format() cuts at the existing capacity - 1";
    EXPECT_EQ(11UL, small.getBufLength());

    WFormattedString fresh;
    fresh.format("%i", 42);
    EXPECT_EQ("42", bytes(fresh));
    EXPECT_EQ(1025UL, fresh.getBufLength()) << "an empty string gets a 1024 character buffer";

    WFormattedString large(3000UL);
    large.format("%s", longText.c_str());
    EXPECT_EQ(2000UL, large.length()) << "a larger buffer allows longer output";

    WNumberString negative(-5, "%i");
    EXPECT_EQ("-5", bytes(negative));
    EXPECT_EQ(WNumberString::SIGNED_INT, negative.getNumberType());
    EXPECT_EQ(1, static_cast<int>(negative.getNumberType()));
    WNumberString literal(5u, "%u");
    EXPECT_EQ("5", bytes(literal));
    EXPECT_EQ(3, static_cast<int>(literal.getNumberType())) << "5u counts as unsigned";
    WNumberString unsignedValue(5UL, "%lu");
    EXPECT_EQ("5", bytes(unsignedValue));
    EXPECT_EQ(3, static_cast<int>(unsignedValue.getNumberType()));
    EXPECT_EQ(129UL, unsignedValue.getBufLength());
    WNumberString wide(1, "%0200i");
    EXPECT_EQ(128UL, wide.length()) << "number strings are cut at 128 characters";
    WNumberString copy(unsignedValue);
    EXPECT_EQ(3, static_cast<int>(copy.getNumberType()));
    negative = unsignedValue;
    EXPECT_EQ(3, static_cast<int>(negative.getNumberType()));
    EXPECT_EQ("5", bytes(negative));

    WResourceString missing;
    missing.loadResource(0xFFF0);
    EXPECT_EQ(0UL, missing.length()) << "a missing resource yields an empty string";
    EXPECT_EQ(1UL, missing.getBufLength());
    WResourceString reserved(20UL);
    EXPECT_EQ(21UL, reserved.getBufLength()) << "the number is a reservation";
    reserved = 0xFFF1UL;
    EXPECT_EQ(0UL, reserved.length());
}

TEST(StringTest, ImpossibleSizesThrowAndKeepTheString)
{
    WString text("abc");
    EXPECT_THROW(text.resize(0xFFFFFFFFUL), WMemoryException);
    EXPECT_THROW(WString(0xFFFFFFFFUL), WMemoryException);
    EXPECT_EQ("abc", bytes(text));
    EXPECT_EQ(4UL, text.getBufLength()) << "a failed growth leaves buffer and capacity";
}
