#include <gtest/gtest.h>

#include <vector>

#include <QTemporaryDir>

#include <unordered_set>

#include "Database.h"
#include "DatabaseFile.h"
#include "RecordId.h"

namespace {

TEST(NewRecordId, HasTheEightFourFourTwelveShape) {
    for (int i = 0; i < 1000; ++i) {
        const RecordId id = NewRecordId();
        ASSERT_EQ(id.size(), 31u) << id;
        for (size_t p = 0; p < id.size(); ++p) {
            if (p == 8 || p == 13 || p == 18) {
                ASSERT_EQ(id[p], '-') << id;
            } else {
                ASSERT_TRUE((id[p] >= '0' && id[p] <= '9') || (id[p] >= 'A' && id[p] <= 'F')) << id;
            }
        }
        EXPECT_EQ(id[14], '4') << id;
        EXPECT_NE(std::string("89AB").find(id[19]), std::string::npos) << id;
    }
}

TEST(NewRecordId, HundredThousandAreDistinct) {
    std::unordered_set<RecordId> ids;
    ids.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
        ids.insert(NewRecordId());
    }
    EXPECT_EQ(ids.size(), 100000u);
}

TEST(QuoteSqlText, DoublesSingleQuotesOnly) {
    EXPECT_EQ(QuoteSqlText("O'Brien"), "O''Brien");
    EXPECT_EQ(QuoteSqlText("''"), "''''");
    EXPECT_EQ(QuoteSqlText(""), "");
    EXPECT_EQ(QuoteSqlText("say \"hi\"; -- \\n %"), "say \"hi\"; -- \\n %");
    EXPECT_EQ(QuoteSqlText("'"), "''");
}

TEST(QuoteSqlText, HostileTextIsStoredAsText) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("q.tch")).toStdString();
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    const std::string hostile = "x'); DROP TABLE Person; --";
    const std::string lines = "line 1\r\nO'Brien \"quoted\"\r\n\t\xC3\xA9";
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    const RecordId id = NewRecordId();
    st.Execute("INSERT INTO Person(ID, FName, Addr, TmStamp) VALUES('" + id + "', '" +
               QuoteSqlText(hostile) + "', '" + QuoteSqlText(lines) +
               "', datetime('now', 'localtime'))");
    cppsqlite3::Query& q =
        st.ExecuteQuery("SELECT FName, Addr FROM Person WHERE ID = '" + QuoteSqlText(id) + "'");
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.GetString(1), hostile);
    EXPECT_EQ(q.GetString(2), lines);
    cppsqlite3::Query& count = st.ExecuteQuery("SELECT COUNT(*) FROM Person WHERE FName = '" +
                                               QuoteSqlText(hostile) + "'");
    ASSERT_TRUE(count.Next());
    EXPECT_EQ(count.GetInt(1), 1);
}

TEST(QuoteSqlText, NulBytesBecomeCallsOfChar) {
    EXPECT_EQ(QuoteSqlText(std::string("A\0B", 3)), "A' || char(0) || 'B");
    EXPECT_EQ(QuoteSqlText(std::string("\0'\0\0", 4)), "' || char(0) || '''' || char(0, 0) || '");
    EXPECT_EQ(QuoteSqlText(std::string(250, '\0')).size(),
              std::string("' || char(0) || '").size() * 3 + std::string(", 0").size() * 247);
}

TEST(QuoteSqlText, NulBytesAreStoredWhereverTheyStand) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("nul.tch")).toStdString();
    ASSERT_NO_THROW(CreateDatabaseFile(path));
    std::string scattered;
    for (int i = 0; i < 300; ++i) {
        scattered += std::string("x\0", 2);
    }
    const std::vector<std::string> values = {std::string("\0", 1), std::string("A\0B'C", 5),
                                             std::string(1000, '\0'), scattered};
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    for (const std::string& value : values) {
        // Two statements in one text: the whole text runs, NULs and all.
        const std::string id = NewRecordId();
        EXPECT_EQ(
            st.Execute("INSERT INTO ContactType VALUES('" + id + "', '" + QuoteSqlText(value) +
                       "'); UPDATE ContactType SET ID = ID WHERE ID = '" + id + "'"),
            1);
        cppsqlite3::Query& q =
            st.ExecuteQuery("SELECT Description FROM ContactType WHERE Description = '" +
                            QuoteSqlText(value) + "'");
        ASSERT_TRUE(q.Next());
        EXPECT_EQ(q.GetString(1), value);
        EXPECT_FALSE(q.Next());
    }
}

}  // namespace
