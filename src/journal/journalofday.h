#pragma once

#include "journal.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

namespace kestrel {

// The console's journal grid: the rows of one day, in the order they were written, either every
// operator's or only one operator's. The day and the operator are fixed when the console loads,
// so a refresh after midnight still shows the day the console started on.
class JournalOfDay {
public:
    // An empty operator shows every operator's rows.
    JournalOfDay(QSqlDatabase db, QDate day, QString operatorName);

    // The rows as they are now in INFORMES; nothing, with lastError() set, when the table cannot
    // be read.
    std::optional<std::vector<JournalRow>> rows();

    QDate day() const { return m_day; }
    QString operatorName() const { return m_operator; }
    QString lastError() const { return m_lastError; }

private:
    QSqlDatabase m_db;
    QDate m_day;
    QString m_operator;
    QString m_lastError;
};

} // namespace kestrel
