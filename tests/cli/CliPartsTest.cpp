// The command-line tool's own words, taken one by one.
#include "Messages.h"

#include <gtest/gtest.h>

TEST(OneLine, EscapesC0C1AndDeleteButKeepsEveryOtherCharacter) {
    EXPECT_EQ(Messages::OneLine("a\nb\r\t\x1B[31m\x7F"), "a\\nb\\r\\t\\x1B[31m\\x7F");
    // U+009B and U+0085 as UTF-8, and raw bytes of the C1 range that are no UTF-8.
    EXPECT_EQ(Messages::OneLine("\xC2\x9B"
                                "2J \xC2\x85 \x9B"
                                "2J \x85"),
              "\\u009B2J \\u0085 \\x9B2J \\x85");
    // Umlauts in UTF-8 and in Latin-1, a CJK character and a character beyond the BMP.
    EXPECT_EQ(Messages::OneLine("Pr\xC3\xBC"
                                "f \xE4 \xE6\x97\xA5 \xF0\x9F\x98\x80"),
              "Pr\xC3\xBC"
              "f \xE4 \xE6\x97\xA5 \xF0\x9F\x98\x80");
    // A sequence cut short, an overlong form and a surrogate are no UTF-8 either.
    EXPECT_EQ(Messages::OneLine("\xE6\x97 \xC0\x9B \xED\xA0\x80"),
              "\xE6\\x97 \xC0\\x9B \xED\xA0\\x80");
}
