#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <QTemporaryDir>

#include "V1Signature.h"

namespace {

TEST(V1Signature, TheRootElementDecides) {
    using namespace std::string_literals;
    EXPECT_TRUE(StartsLikeVersionOneFile("<Tidemark Version=\"1\">"));
    EXPECT_TRUE(StartsLikeVersionOneFile("<Tidemark>"));
    EXPECT_TRUE(StartsLikeVersionOneFile("<Tidemark/>"));
    EXPECT_TRUE(StartsLikeVersionOneFile("\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<Tidemark>"));
    EXPECT_TRUE(StartsLikeVersionOneFile(
        "<?xml version=\"1.0\"?>\n<!-- <Other> -->\n<!DOCTYPE Tidemark>\n  <Tidemark\n>"));
    // Other XML, other roots, other files.
    EXPECT_FALSE(StartsLikeVersionOneFile("<?xml version=\"1.0\"?><TidemarkBook>"));
    EXPECT_FALSE(StartsLikeVersionOneFile("<?xml version=\"1.0\"?><Persons><Tidemark>"));
    EXPECT_FALSE(StartsLikeVersionOneFile("SQLite format 3\0"s));
    EXPECT_FALSE(StartsLikeVersionOneFile("Name,Company\r\n<Tidemark>"));
    EXPECT_FALSE(StartsLikeVersionOneFile(""));
    // A start cut off inside the prolog is not taken for one.
    EXPECT_FALSE(StartsLikeVersionOneFile("<?xml version=\"1.0\"?><!-- never ends"));
}

TEST(V1Signature, FilesAreReadFromTheirStart) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string old = dir.filePath(QStringLiteral("old.tch")).toStdString();
    std::ofstream(old, std::ios::binary) << "<?xml version=\"1.0\"?>\r\n<Tidemark Version=\"1\">"
                                         << std::string(200000, ' ') << "</Tidemark>";
    EXPECT_TRUE(IsVersionOneFile(old));
    const std::string other = dir.filePath(QStringLiteral("other.tch")).toStdString();
    std::ofstream(other, std::ios::binary) << std::string(70000, ' ') << "<Tidemark>";
    EXPECT_FALSE(IsVersionOneFile(other));  // nothing but blanks in what is looked at
    EXPECT_FALSE(IsVersionOneFile(dir.filePath(QStringLiteral("gone.tch")).toStdString()));
}

}  // namespace
