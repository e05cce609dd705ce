#pragma once

#include "core/operatorsession.h"

#include <QSqlDatabase>

#include <optional>

namespace kestrel {

// The checks of the operator login against table Operadores.
class LoginCheck {
public:
    explicit LoginCheck(QSqlDatabase db) : m_db(std::move(db)) {}

    // The operator to log in without asking: the only operator of the table, when its password
    // is empty.
    std::optional<OperatorRecord> automaticLogin() const;

    enum class Outcome { Accepted, EmptyUser, UnknownUser, WrongPassword, StoreError };
    struct Result {
        Outcome outcome = Outcome::StoreError;
        OperatorRecord record; // when accepted
        QString error;         // when the store failed
    };

    // The name is looked up ignoring case (first row wins), the password compared exactly.
    Result check(const QString& user, const QString& password) const;

private:
    QSqlDatabase m_db;
};

} // namespace kestrel
