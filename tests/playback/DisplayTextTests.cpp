#include "common/DisplayText.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using tunara::cleanDisplayText;

namespace {

struct Cleaning {
    const char* name;
    QString input;
    QString expected;
};

class DisplayTextTest : public ::testing::TestWithParam<Cleaning> {};

TEST_P(DisplayTextTest, CleansTextFromOutside)
{
    EXPECT_EQ(cleanDisplayText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DisplayTextTest,
    ::testing::Values(
        Cleaning{"PlainTextStays", QString::fromUtf8("Sigur Rós - Hoppípolla ♫"), QString::fromUtf8("Sigur Rós - Hoppípolla ♫")},
        Cleaning{"TerminalEscapesLoseTheirControlCharacters", QStringLiteral("A\x1b[2JB\x1b]0;title\aC"),
                 QStringLiteral("A[2JB]0;titleC")},
        Cleaning{"C1AndDeleteGo", QStringLiteral("a\u0080b\u009bc\u007fd"), QStringLiteral("abcd")},
        Cleaning{"BreaksAndTabsBecomeOneSpace", QStringLiteral("Artist\r\n-\tTitle\u2028end\u0085x"),
                 QStringLiteral("Artist - Title end x")},
        Cleaning{"RunsCollapseAndEndsAreTrimmed", QStringLiteral("  \t a \u00a0  b\n "), QStringLiteral("a b")},
        Cleaning{"OnlyControlsLeaveNothing", QStringLiteral("\x01\x02\r\n\t"), QString()},
        Cleaning{"OtherScriptsAndEmojiStay", QString::fromUtf8("Кино · 東京 · 👩‍👩‍👧"),
                 QString::fromUtf8("Кино · 東京 · 👩‍👩‍👧")}),
    [](const ::testing::TestParamInfo<Cleaning>& param) { return param.param.name; });

TEST(DisplayTextLength, CutsAtTheLimitNeverInsideACharacter)
{
    const QString longText(4000, QLatin1Char('x'));
    EXPECT_EQ(cleanDisplayText(longText).size(), tunara::maxDisplayTextLength);

    // A letter with a combining accent, and a family emoji of seven code
    // units, straddle the limit: each stays whole or goes whole.
    const QString accented = QString(tunara::maxDisplayTextLength - 1, QLatin1Char('a')) + QStringLiteral("e\u0301z");
    EXPECT_TRUE(cleanDisplayText(accented).endsWith(QStringLiteral("e\u0301")));
    const QString family = QString::fromUtf8("👩‍👩‍👧");
    const QString emoji = QString(tunara::maxDisplayTextLength - 1, QLatin1Char('a')) + family + QStringLiteral("z");
    EXPECT_TRUE(cleanDisplayText(emoji).endsWith(family));
    EXPECT_EQ(cleanDisplayText(QString(tunara::maxDisplayTextLength, QLatin1Char('a')) + family).size(),
              tunara::maxDisplayTextLength);
}

} // namespace
