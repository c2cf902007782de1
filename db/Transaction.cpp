#include "Transaction.h"

#include "Database.h"
#include "DatabaseFile.h"

namespace cppsqlite3 {

Transaction::Transaction(Statement& statement, const char* begin) : statement_(statement) {
    statement_.Execute(begin);
}

void Transaction::Commit(const char* commit, const char* stamp) {
    statement_.Execute(stamp != nullptr ? stamp : schema::kStamp);
    CommitUnstamped(commit);
}

void Transaction::CommitUnstamped(const char* commit) {
    statement_.Execute(commit);
    committed_ = true;
}

void StampLastChange(Statement& statement) {
    statement.Execute(schema::kStamp);
}

}  // namespace cppsqlite3
