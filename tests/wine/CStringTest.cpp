#include "CString.h"
#include "resource.h"

#include <gtest/gtest.h>

TEST(CString, ConcatenationTakesPercentSignsLiterally) {
    CString line = CString("    Name: ") + "100%d %s.img";
    line += "%n";
    EXPECT_STREQ(line, "    Name: 100%d %s.img%n");
}

TEST(CString, FormatWritesSignedDecimal) {
    CString size;
    size.Format("    Groesse: %d", 8257536);
    EXPECT_STREQ(size, "    Groesse: 8257536");
    size.Format("%d", -1);
    EXPECT_STREQ(size, "-1");
}

TEST(CString, LoadStringReadsTheStringTableAsWindows1252) {
    CString text;
    ASSERT_TRUE(text.LoadString(IDS_ABOUTBOX));
    EXPECT_STREQ(text, "Inf&o \xFC"
                       "ber Keldarin...");
    EXPECT_FALSE(text.LoadString(4242));
    EXPECT_TRUE(text.IsEmpty());
}

TEST(CString, BufferIsTrimmedAtItsTerminator) {
    CString text = "abc";
    char* buffer = text.GetBuffer(10);
    lstrcpyA(buffer, "xy");
    text.ReleaseBuffer();
    EXPECT_EQ(text.GetLength(), 2);
    EXPECT_STREQ(text, "xy");
}
