#pragma once

namespace cppsqlite3 {

class Statement;

// One explicit transaction of a change to a .tch file. The begin statement runs at
// construction; Commit stamps the file's last change in Globals and commits. Nothing is rolled
// back here: a transaction left without Commit (a failure unwinding past it) is abandoned when
// the connection closes, as every change of the program is.
class Transaction {
public:
    // begin: "BEGIN TRANSACTION", "BEGIN" or "BEGIN EXCLUSIVE", as the operation has it.
    explicit Transaction(Statement& statement, const char* begin = "BEGIN TRANSACTION");
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // The stamp (schema::kStamp unless the operation writes its own) and then commit: "COMMIT",
    // "COMMIT TRANSACTION" or "END".
    void Commit(const char* commit = "COMMIT", const char* stamp = nullptr);
    // The commit alone, for what keeps the last-saved stamp: an import, a read, the open that
    // writes Globals itself.
    void CommitUnstamped(const char* commit = "COMMIT");

    bool Committed() const { return committed_; }

private:
    Statement& statement_;
    bool committed_ = false;
};

// The stamp of the file's last change alone, in the engine's own automatic transaction: for a
// change that is one statement and keeps what it did even when the stamp then fails.
void StampLastChange(Statement& statement);

}  // namespace cppsqlite3
