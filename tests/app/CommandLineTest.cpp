#include <gtest/gtest.h>

#include "CommandLine.h"

namespace {

QString File(const char* commandLine) {
    return FileFromCommandLine(QString::fromUtf8(commandLine));
}

TEST(CommandLine, NamesAtMostOneFile) {
    EXPECT_EQ(File(""), QString());
    EXPECT_EQ(File("   "), QString());
    EXPECT_EQ(File("book.tch"), QStringLiteral("book.tch"));
    EXPECT_EQ(File("  book.tch  "), QStringLiteral("book.tch"));
}

TEST(CommandLine, BlanksInQuotedAndUnquotedNames) {
    EXPECT_EQ(File("\"/home/me/My Data/Family.tch\""),
              QStringLiteral("/home/me/My Data/Family.tch"));
    EXPECT_EQ(File("/home/me/My Data/Family.tch"), QStringLiteral("/home/me/My Data/Family.tch"));
    EXPECT_EQ(File("C:\\My Data\\Family.tch"), QStringLiteral("C:\\My Data\\Family.tch"));
    EXPECT_EQ(File("\"C:\\My Data\\Family.tch\""), QStringLiteral("C:\\My Data\\Family.tch"));
}

TEST(CommandLine, DoubledQuotesInsideStandForOne) {
    EXPECT_EQ(File("\"say \"\"hi\"\".tch\""), QStringLiteral("say \"hi\".tch"));
    EXPECT_EQ(File("\"unclosed name.tch"), QStringLiteral("unclosed name.tch"));
}

TEST(CommandLine, OneLetterSwitchIsSkipped) {
    EXPECT_EQ(File("/o C:\\Data\\Family.tch"), QStringLiteral("C:\\Data\\Family.tch"));
    EXPECT_EQ(File("-o /home/me/Family.tch"), QStringLiteral("/home/me/Family.tch"));
    EXPECT_EQ(File("/o   \"/home/me/My Data/f.tch\""), QStringLiteral("/home/me/My Data/f.tch"));
}

TEST(CommandLine, AbsolutePathsAreNotSwitches) {
    EXPECT_EQ(File("/home/me/Family.tch"), QStringLiteral("/home/me/Family.tch"));
    EXPECT_EQ(File("/o/Family.tch"), QStringLiteral("/o/Family.tch"));
    EXPECT_EQ(File("-dash.tch"), QStringLiteral("-dash.tch"));
}

}  // namespace
