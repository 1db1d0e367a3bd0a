#pragma once
#include "data/Sql.h"

#include <exception>
#include <type_traits>

namespace data {

// Runs work inside one BEGIN IMMEDIATE transaction (the write lock is taken before anything is read,
// so two copies sharing the file cannot interleave). Commits when work returns; any exception rolls
// everything back and is rethrown. Not re-entrant: work must not open another one.
template <typename Work>
auto inWriteTransaction(const QSqlDatabase& db, Work&& work) -> std::invoke_result_t<Work> {
    execRaw(db, QStringLiteral("BEGIN IMMEDIATE"));
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<Work>>) {
            work();
            execRaw(db, QStringLiteral("COMMIT"));
        } else {
            auto result = work();
            execRaw(db, QStringLiteral("COMMIT"));
            return result;
        }
    } catch (...) {
        try {
            execRaw(db, QStringLiteral("ROLLBACK"));
        } catch (...) {
            // The failed COMMIT or statement may already have ended the transaction.
        }
        throw;
    }
}

}  // namespace data
