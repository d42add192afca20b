// A transaction on a TNyConnection for the length of a scope: rolled back
// unless Commit() was reached, so an exception anywhere in the scope leaves
// the database as it was before.
#pragma once

#include "NyConnection.h"

class TNyTransaction {
public:
    explicit TNyTransaction(TNyConnection& connection)
        : connection_(connection)
        , level_(connection_.BeginTrans())
    {
    }
    ~TNyTransaction()
    {
        // Nothing is left to roll back when a failed commit has already
        // rolled back the whole transaction, or the engine has ended it.
        if (!done_ && connection_.TransactionLevel() >= level_) {
            try {
                connection_.RollbackTrans();
            } catch (...) {
                // A destructor must not throw; the engine has already
                // abandoned a transaction it cannot roll back.
            }
        }
    }
    TNyTransaction(const TNyTransaction&) = delete;
    TNyTransaction& operator=(const TNyTransaction&) = delete;

    void Commit()
    {
        connection_.CommitTrans();
        done_ = true;
    }

private:
    TNyConnection& connection_;
    const int level_;
    bool done_ = false;
};
