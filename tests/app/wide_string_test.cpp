#include <gtest/gtest.h>

#include "app/paths.h"
#include "app/string_list.h"
#include "app/wide_string.h"

TEST(WideString, PiecesOutOfRangeGiveEmptyText) {
    WideString s(L"abcdef");
    EXPECT_EQ(s.Left(3), WideString(L"abc"));
    EXPECT_EQ(s.Left(99), s);
    EXPECT_TRUE(s.Left(-1).IsEmpty());
    EXPECT_EQ(s.Mid(4), WideString(L"ef"));
    EXPECT_TRUE(s.Mid(6).IsEmpty());
    EXPECT_TRUE(s.Mid(-2).IsEmpty());
    EXPECT_EQ(s.Piece(1, 3), WideString(L"bcd"));
    EXPECT_EQ(s.Piece(4, 100), WideString(L"ef"));
    EXPECT_TRUE(s.Piece(3, 2).IsEmpty());
    EXPECT_TRUE(s.Piece(10, 12).IsEmpty());
    EXPECT_EQ(s.Right(2), WideString(L"ef"));
    EXPECT_EQ(s.Right(10), s);
    EXPECT_EQ(s.At(6), L'\0');
    EXPECT_EQ(s.At(-1), L'\0');
}

TEST(WideString, SearchSetAndTrim) {
    WideString s(L"a=b=c");
    EXPECT_EQ(s.Find(L"="), 1);
    EXPECT_EQ(s.Find(L"=", 2), 3);
    EXPECT_EQ(s.Find(L"x"), -1);
    EXPECT_EQ(s.Find(L"=", 99), -1);
    EXPECT_EQ(s.FindLast(L'='), 3);
    EXPECT_EQ(s.FindLast(L'x'), -1);
    s.SetAt(1, L'-');
    EXPECT_EQ(s, WideString(L"a-b=c"));
    s.SetAt(3, L'\0');
    EXPECT_EQ(s, WideString(L"a-b"));
    s.SetAt(50, L'x');
    EXPECT_EQ(s, WideString(L"a-b"));
    EXPECT_EQ(WideString(L"  x y  ").Trimmed(), WideString(L"x y"));
    EXPECT_EQ(WideString(L"  x y  ").TrimmedRight(), WideString(L"  x y"));
    EXPECT_EQ(WideString(L"\tx ").Trimmed(), WideString(L"\tx"));  // blanks only
    EXPECT_TRUE(WideString(L"    ").Trimmed().IsEmpty());
    EXPECT_TRUE(WideString(L"ICON calc").StartsWithNoCase(L"Icon "));
    EXPECT_FALSE(WideString(L"Ico").StartsWithNoCase(L"Icon "));
    EXPECT_FALSE(WideString(L"icon x").StartsWith(L"Icon "));
}

TEST(WideString, DecimalConversion) {
    EXPECT_EQ(WideString(L"").ToInt(7), 0);
    EXPECT_EQ(WideString(L"42").ToInt(7), 42);
    EXPECT_EQ(WideString(L"-15").ToInt(7), -15);
    EXPECT_EQ(WideString(L"4x").ToInt(7), 7);
    EXPECT_EQ(WideString(L" 4").ToInt(7), 7);
    EXPECT_EQ(WideString(L"-").ToInt(7), 7);
    EXPECT_EQ(WideString(L"99999999999999999999").ToInt(7), 7);
    EXPECT_EQ(WideString::FromInt(-2147483648LL), WideString(L"-2147483648"));
    EXPECT_TRUE(WideString(L"0123").IsDecimal());
    EXPECT_FALSE(WideString(L"").IsDecimal());
    EXPECT_FALSE(WideString(L"1 2").IsDecimal());
}

TEST(StringList, SortedPlacesAfterEqualsByOrdinalComparison) {
    StringList list(true);
    list.Add(L"b");
    list.Add(L"B");
    list.Add(L"a");
    list.Add(L"b");
    int index = list.Add(L"b");
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(index, 4);                   // after the equal entries
    EXPECT_EQ(list[0], WideString(L"B"));  // upper case sorts first (ordinal)
    EXPECT_EQ(list[1], WideString(L"a"));
    EXPECT_EQ(list.IndexOf(L"b"), 2);
    EXPECT_EQ(list.IndexOf(L"c"), -1);
    EXPECT_TRUE(list[99].IsEmpty());
}

TEST(StringList, UnsortedAppendsAndGrowsPastSteps) {
    StringList list;
    for (int i = 250; i > 0; --i) list.Add(WideString::FromInt(i));
    ASSERT_EQ(list.Count(), 250);
    EXPECT_EQ(list[0], WideString(L"250"));
    EXPECT_EQ(list[249], WideString(L"1"));
    EXPECT_EQ(list.IndexOf(L"100"), 150);
}

TEST(SectionLines, KeepsEqualsPositionWithItsLine) {
    SectionLines lines(true);
    lines.Add(L"b=2", 1);
    lines.Add(L"aa=1", 2);
    ASSERT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.Key(0), WideString(L"aa"));
    EXPECT_EQ(lines.Value(0), WideString(L"1"));
    EXPECT_EQ(lines.EqualsPos(1), 1);
    EXPECT_EQ(lines.EqualsPos(5), -1);
}

TEST(Paths, UnquoteDirectoryFileAndExtension) {
    EXPECT_EQ(Unquote(L"  \"C:\\a b\\x.exe\"  "), WideString(L"C:\\a b\\x.exe"));
    EXPECT_EQ(Unquote(L"   "), WideString());
    EXPECT_EQ(Unquote(L"\""), WideString());
    EXPECT_EQ(DirectoryPart(L"C:\\dir\\x.exe"), WideString(L"C:\\dir"));
    EXPECT_EQ(DirectoryPart(L"C:\\x.exe"), WideString(L"C:\\"));
    EXPECT_EQ(DirectoryPart(L"x.exe"), WideString());
    EXPECT_EQ(FileNamePart(L"C:\\dir\\x.exe"), WideString(L"x.exe"));
    EXPECT_EQ(FileNamePart(L"x.exe"), WideString(L"x.exe"));
    EXPECT_EQ(ExtensionPart(L"C:\\d\\a.b.wav"), WideString(L"wav"));
    EXPECT_EQ(ExtensionPart(L"noext"), WideString());
    EXPECT_EQ(JoinPath(L"C:\\", L"TLR.ini"), WideString(L"C:\\TLR.ini"));
    EXPECT_EQ(JoinPath(L"C:\\work", L"TLR.ini"), WideString(L"C:\\work\\TLR.ini"));
    EXPECT_EQ(QuoteIfBlank(L"C:\\a b\\x.exe", L"#set 1"), WideString(L"\"C:\\a b\\x.exe\" #set 1"));
    EXPECT_EQ(QuoteIfBlank(L"C:\\x.exe"), WideString(L"C:\\x.exe"));
}

TEST(Paths, SplitCommandLine) {
    CommandLineParts p = SplitCommandLineText(L"\"C:\\Program Files\\T\\TLR64.exe\"   #my set  ");
    EXPECT_EQ(p.program, WideString(L"C:\\Program Files\\T\\TLR64.exe"));
    EXPECT_EQ(p.arguments, WideString(L"#my set"));
    p = SplitCommandLineText(L"notepad.exe a.txt  b");
    EXPECT_EQ(p.program, WideString(L"notepad.exe"));
    EXPECT_EQ(p.arguments, WideString(L"a.txt  b"));
    p = SplitCommandLineText(L"calc");
    EXPECT_EQ(p.program, WideString(L"calc"));
    EXPECT_TRUE(p.arguments.IsEmpty());
    p = SplitCommandLineText(L"\"C:\\no close quote  x ");
    EXPECT_TRUE(p.program.IsEmpty());
    EXPECT_EQ(p.arguments, WideString(L"C:\\no close quote  x"));
    p = SplitCommandLineText(L"\"\"");
    EXPECT_TRUE(p.program.IsEmpty());
    EXPECT_TRUE(p.arguments.IsEmpty());
}

TEST(Paths, SplitLines) {
    StringList lines;
    SplitLines(L"a\r\nb\rc\n\nd\r\n", lines);
    ASSERT_EQ(lines.Count(), 5);
    EXPECT_EQ(lines[0], WideString(L"a"));
    EXPECT_EQ(lines[2], WideString(L"c"));
    EXPECT_TRUE(lines[3].IsEmpty());
    EXPECT_EQ(lines[4], WideString(L"d"));
    StringList one;
    SplitLines(L"x", one);
    EXPECT_EQ(one.Count(), 1);
}
