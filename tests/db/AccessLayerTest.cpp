#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "Database.h"

using cppsqlite3::Database;
using cppsqlite3::Query;
using cppsqlite3::SQLException;
using cppsqlite3::Statement;

namespace {

class AccessLayerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

    // A database with a small Person table, the way the program's files have it.
    std::string MakePersons(int count) {
        const std::string path = Path("persons.tch");
        Database db;
        db.Create(path);
        Statement& st = db.CreateStatement();
        st.Execute("CREATE TABLE Person(ID TEXT NOT NULL, FName TEXT DEFAULT '', Flag TEXT)");
        for (int i = 0; i < count; ++i) {
            st.Execute("INSERT INTO Person VALUES('id" + std::to_string(i) + "', 'n" +
                       std::to_string(i) + "', NULL)");
        }
        return path;
    }

    // Runs the call and returns the exception it threw; fails the test if it threw nothing.
    template <typename F>
    static SQLException Thrown(F call) {
        try {
            call();
        } catch (const SQLException& e) {
            return e;
        }
        ADD_FAILURE() << "no SQLException";
        return SQLException("none");
    }

    QTemporaryDir dir_;
};

TEST_F(AccessLayerTest, MessagesForCodesAreTheFixedTexts) {
    EXPECT_EQ(SQLException(1).Message(), "SQL error or missing database");
    EXPECT_EQ(SQLException(5).Message(), "The database file is locked");
    EXPECT_EQ(SQLException(19).Message(), "Abort due to contraint violation");
    EXPECT_EQ(SQLException(23).Message(), "Authorization denied");
    EXPECT_EQ(SQLException(26).Message(), "Unknown database error");
    EXPECT_EQ(SQLException(0).Message(), "Unknown database error");
    EXPECT_EQ(SQLException(26).Code(), 26);
    EXPECT_EQ(SQLException("Invalid column name").Code(), 0);
}

TEST_F(AccessLayerTest, FileThatIsNotADatabaseFailsAtOpen) {
    const std::string path = Path("letter.tch");
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();

    Database db;
    const SQLException e = Thrown([&] { db.Open(path); });
    EXPECT_EQ(e.Code(), 26);
    EXPECT_EQ(e.Message(), "Unknown database error");
    EXPECT_FALSE(db.IsOpen());
}

TEST_F(AccessLayerTest, MissingFileIsNotCreatedByOpen) {
    const std::string path = Path("missing.tch");
    Database db;
    const SQLException e = Thrown([&] { db.Open(path); });
    EXPECT_EQ(e.Code(), 0);
    EXPECT_EQ(e.Message(), "The file " + path + " no longer exists.");
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    // Nor by a second try, nor in a folder that is gone.
    EXPECT_EQ(Thrown([&] { db.Open(path); }).Code(), 0);
    EXPECT_EQ(Thrown([&] { db.Open(Path("gone/book.tch")); }).Code(), 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

TEST_F(AccessLayerTest, CreateMakesAnEmptyFileWhoseReadsFail) {
    const std::string path = Path("missing.tch");
    Database db;
    db.Create(path);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path)));
    EXPECT_EQ(db.SchemaEntryCount(), 0);
    Statement& st = db.CreateStatement();
    const SQLException e = Thrown([&] { st.ExecuteQuery("SELECT * FROM Person"); });
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.Message(), "SQL error or missing database");
}

TEST_F(AccessLayerTest, SchemaIsReadAtOpen) {
    const std::string path = MakePersons(0);
    Database db;
    db.Open(path);
    ASSERT_EQ(db.SchemaEntryCount(), 1);
    EXPECT_EQ(db.SchemaType(1), "table");
    EXPECT_EQ(db.SchemaName(1), "Person");
    EXPECT_EQ(db.SchemaSql(1).substr(0, 19), "CREATE TABLE Person");
    EXPECT_EQ(Thrown([&] { db.SchemaName(0); }).Message(), "Invalid column number");
    EXPECT_EQ(Thrown([&] { db.SchemaSql(2); }).Message(), "Invalid column number");
}

TEST_F(AccessLayerTest, ColumnNumbersOutsideTheResultThrow) {
    Database db;
    db.Open(MakePersons(1));
    Query& q = db.CreateStatement().ExecuteQuery("SELECT ID, FName FROM Person");
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.GetString(1), "id0");
    EXPECT_EQ(q.GetString(2), "n0");
    const SQLException zero = Thrown([&] { q.GetString(0); });
    EXPECT_EQ(zero.Message(), "Invalid column number");
    EXPECT_EQ(zero.Code(), 0);
    EXPECT_EQ(Thrown([&] { q.GetInt(3); }).Message(), "Invalid column number");
    EXPECT_EQ(Thrown([&] { q.ColumnName(q.ColumnCount() + 1); }).Message(),
              "Invalid column number");
    EXPECT_EQ(Thrown([&] { q.ColumnType(0); }).Code(), 0);
}

TEST_F(AccessLayerTest, FieldsByNameMatchExactly) {
    Database db;
    db.Open(MakePersons(1));
    Query& q = db.CreateStatement().ExecuteQuery("SELECT ID, FName FROM Person");
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.GetString("FName"), "n0");
    const SQLException e = Thrown([&] { q.GetString("fname"); });
    EXPECT_EQ(e.Message(), "Invalid column name");
    EXPECT_EQ(e.Code(), 0);
    EXPECT_EQ(Thrown([&] { q.GetInt("Nope"); }).Message(), "Invalid column name");
}

TEST_F(AccessLayerTest, NullFieldReadsAsEmptyText) {
    Database db;
    db.Open(MakePersons(1));
    Query& q = db.CreateStatement().ExecuteQuery("SELECT Flag FROM Person");
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.GetString(1), "");
    EXPECT_EQ(q.GetInt(1), 0);
    EXPECT_FALSE(q.GetBool(1));
}

TEST_F(AccessLayerTest, QueryWithoutRowsConstructsAndEndsAtOnce) {
    Database db;
    db.Open(MakePersons(2));
    Query& q = db.CreateStatement().ExecuteQuery("SELECT * FROM Person WHERE ID = 'none'");
    EXPECT_EQ(q.ColumnCount(), 3);
    EXPECT_FALSE(q.Next());
    EXPECT_FALSE(q.Next());
}

TEST_F(AccessLayerTest, NextWalksEveryRowOnce) {
    Database db;
    db.Open(MakePersons(3));
    Query& q = db.CreateStatement().ExecuteQuery("SELECT ID FROM Person ORDER BY ID");
    std::vector<std::string> ids;
    while (q.Next()) {
        ids.push_back(q.GetString(1));
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"id0", "id1", "id2"}));
    EXPECT_FALSE(q.Next());
}

TEST_F(AccessLayerTest, FirstStepFailureThrowsAtExecuteQuery) {
    Database db;
    db.Open(MakePersons(0));
    Statement& st = db.CreateStatement();
    const SQLException e =
        Thrown([&] { st.ExecuteQuery("INSERT INTO Person(FName) VALUES('x')"); });
    EXPECT_EQ(e.Code(), 19);
    EXPECT_EQ(e.Message(), "Abort due to contraint violation");
    // The failed query left nothing open: the connection goes on working.
    EXPECT_EQ(st.Execute("INSERT INTO Person VALUES('a', 'b', 'c')"), 1);
}

TEST_F(AccessLayerTest, CountIsAVariantColumnReadAsInt) {
    Database db;
    db.Open(MakePersons(7));
    Query& q = db.CreateStatement().ExecuteQuery("SELECT COUNT(*) FROM Person");
    EXPECT_EQ(q.ColumnType(1), "VARIANT");
    EXPECT_EQ(q.ColumnName(1), "COUNT(*)");
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.GetInt(1), 7);
}

TEST_F(AccessLayerTest, DeclaredTypesAreRecorded) {
    Database db;
    db.Open(MakePersons(1));
    Query& q = db.CreateStatement().ExecuteQuery("SELECT ID, Flag FROM Person");
    EXPECT_EQ(q.ColumnType(1), "TEXT");
    EXPECT_EQ(q.ColumnType(2), "TEXT");
}

TEST_F(AccessLayerTest, NumbersAndBooleansFollowTheCLibraryRules) {
    Database db;
    db.Create(Path("values.tch"));
    Query& q = db.CreateStatement().ExecuteQuery(
        "SELECT '  42abc', '-17', 'abc', '3.5e2', 'TrUe', '1', 'yes', '2', '', 'true ', "
        "'9000000000'");
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.GetInt(1), 42);
    EXPECT_EQ(q.GetInt(2), -17);
    EXPECT_EQ(q.GetInt(3), 0);
    EXPECT_DOUBLE_EQ(q.GetDouble(4), 350.0);
    EXPECT_FLOAT_EQ(q.GetFloat(4), 350.0f);
    EXPECT_TRUE(q.GetBool(5));
    EXPECT_TRUE(q.GetBool(6));
    EXPECT_FALSE(q.GetBool(7));
    EXPECT_FALSE(q.GetBool(8));
    EXPECT_FALSE(q.GetBool(9));
    EXPECT_FALSE(q.GetBool(10));
    EXPECT_EQ(q.GetLong(11), 9000000000L);
}

TEST_F(AccessLayerTest, ExecuteReturnsRowsChanged) {
    Database db;
    db.Open(MakePersons(3));
    Statement& st = db.CreateStatement();
    EXPECT_EQ(st.Execute("UPDATE Person SET FName = 'x' WHERE ID = 'nobody'"), 0);
    EXPECT_EQ(st.Execute("UPDATE Person SET FName = 'x'"), 3);
    EXPECT_EQ(st.Execute("DELETE FROM Person WHERE ID = 'id1'"), 1);
}

TEST_F(AccessLayerTest, ExecuteFailureCarriesTheEngineCode) {
    Database db;
    db.Open(MakePersons(0));
    const SQLException e =
        Thrown([&] { db.CreateStatement().Execute("INSERT INTO Nowhere VALUES(1)"); });
    EXPECT_EQ(e.Code(), 1);
}

TEST_F(AccessLayerTest, NewQueryReplacesTheOldOne) {
    Database db;
    db.Open(MakePersons(2));
    Statement& st = db.CreateStatement();
    st.ExecuteQuery("SELECT ID FROM Person");
    Query& second = st.ExecuteQuery("SELECT FName FROM Person ORDER BY FName DESC");
    ASSERT_TRUE(second.Next());
    EXPECT_EQ(second.GetString(1), "n1");
    // A new statement replaces the old one and its query; writes work because nothing is left
    // holding the read.
    Statement& other = db.CreateStatement();
    EXPECT_EQ(other.Execute("DELETE FROM Person"), 2);
}

TEST_F(AccessLayerTest, OpenTwiceClosesTheFirstFile) {
    Database db;
    db.Open(MakePersons(1));
    db.CreateStatement().ExecuteQuery("SELECT * FROM Person");
    db.Create(Path("second.tch"));
    EXPECT_EQ(db.SchemaEntryCount(), 0);
    db.Close();
    db.Close();
    EXPECT_FALSE(db.IsOpen());
}

TEST_F(AccessLayerTest, LockedFileFailsAtOnceWithCodeFive) {
    const std::string path = MakePersons(1);
    Database holder;
    holder.Open(path);
    Statement& held = holder.CreateStatement();
    held.Execute("BEGIN IMMEDIATE");
    held.Execute("UPDATE Person SET FName = 'held'");

    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    const SQLException e = Thrown([&] { st.Execute("UPDATE Person SET FName = 'mine'"); });
    EXPECT_EQ(e.Code(), 5);
    EXPECT_EQ(e.Message(), "The database file is locked");
}

TEST_F(AccessLayerTest, ClosingAbandonsAnOpenTransaction) {
    const std::string path = MakePersons(1);
    {
        Database db;
        db.Open(path);
        Statement& st = db.CreateStatement();
        st.Execute("BEGIN TRANSACTION");
        st.Execute("UPDATE Person SET FName = 'lost'");
    }
    Database db;
    db.Open(path);
    Query& q = db.CreateStatement().ExecuteQuery("SELECT FName FROM Person");
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.GetString(1), "n0");
}

TEST_F(AccessLayerTest, ReadOnlyFileIsReadButNotWritten) {
    const std::string path = MakePersons(1);
    QFile::setPermissions(QString::fromStdString(path), QFileDevice::ReadOwner);
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    Query& q = st.ExecuteQuery("SELECT FName FROM Person");
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.GetString(1), "n0");
    const SQLException e = Thrown([&] { st.Execute("UPDATE Person SET FName = 'x'"); });
    EXPECT_EQ(e.Code(), 8);
    EXPECT_EQ(e.Message(), "Attempt to write a readonly database");
}

TEST_F(AccessLayerTest, QueryOnNullStatementThrows) {
    const SQLException e = Thrown([] { Query q(nullptr); });
    EXPECT_EQ(e.Message(), "NULL statement object");
    EXPECT_EQ(e.Code(), 0);
}

}  // namespace

TEST_F(AccessLayerTest, PreparedStatementsRunAgainWithTheirValuesAnyByteIncluded) {
    Database db;
    db.Create(Path("prepared.tch"));
    Statement& st = db.CreateStatement();
    st.Execute("CREATE TABLE T(A TEXT, B BLOB, N INTEGER)");
    cppsqlite3::Prepared insert(st, "INSERT INTO T VALUES(?, ?, ?)");
    const std::string withNul("a\0b'\"", 5);
    const std::string card = "BEGIN:VCARD\r\n\xff\xfe\0END\r\n";
    EXPECT_EQ(insert.BindText(1, withNul).BindBlob(2, card).BindInt(3, 7).Execute(), 1);
    // Bound values stay until bound again: only the number changes.
    EXPECT_EQ(insert.BindInt(3, 8).Execute(), 1);
    EXPECT_EQ(insert.BindText(1, "").BindNull(2).BindNull(3).Execute(), 1);

    cppsqlite3::Prepared select(st, "SELECT A, B, typeof(A), typeof(B), N FROM T WHERE N = ?");
    Query& seven = select.BindInt(1, 7).ExecuteQuery();
    ASSERT_TRUE(seven.Next());
    EXPECT_EQ(seven.GetString(1), withNul);
    EXPECT_EQ(seven.GetString(2), card);
    EXPECT_EQ(seven.GetString(3), "text");
    EXPECT_EQ(seven.GetString(4), "blob");
    EXPECT_FALSE(seven.Next());
    // The same statement again, for another value, while the connection's own query runs.
    Query& all = st.ExecuteQuery("SELECT count(*), count(N), sum(A = '') FROM T");
    ASSERT_TRUE(all.Next());
    EXPECT_EQ(all.GetInt(1), 3);
    EXPECT_EQ(all.GetInt(2), 2);
    EXPECT_EQ(all.GetInt(3), 1) << "an empty text is a text, not NULL";
    Query& eight = select.BindInt(1, 8).ExecuteQuery();
    ASSERT_TRUE(eight.Next());
    EXPECT_EQ(eight.GetString(1), withNul);
    EXPECT_EQ(eight.GetInt(5), 8);
    select.CloseQuery();

    // Failures carry the engine's code, and the statement stays usable.
    EXPECT_EQ(Thrown([&] { cppsqlite3::Prepared bad(st, "INSERT INTO Nowhere VALUES(?)"); }).Code(),
              1);
    st.Execute("CREATE UNIQUE INDEX TN ON T(N)");
    EXPECT_EQ(Thrown([&] { insert.BindInt(3, 8).Execute(); }).Code(), 19);
    EXPECT_EQ(insert.BindInt(3, 9).Execute(), 1);
    EXPECT_EQ(Thrown([&] { insert.BindInt(4, 1); }).Code(), 25) << "no such mark";
}
