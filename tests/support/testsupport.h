#pragma once

#include "core/datastore.h"
#include "core/prompts.h"
#include "core/settings.h"

#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

namespace kestrel::test {

// Numbers and dates as the target cafés see them: decimal comma, grouping with full stops.
void pinCafeLocale();

// Prompts answered from a script. Every question and notice is recorded; a question with no
// scripted answer is recorded as unexpected and answered No.
class ScriptedPrompts final : public Prompts {
public:
    struct Told {
        Icon icon;
        QString text;
    };

    void answerNext(bool yes) { m_answers << yes; }
    bool askYesNo(const QString& text) override;
    void tell(Icon icon, const QString& text) override;

    QStringList questions;
    QList<Told> told;
    QStringList unexpectedQuestions;

    QStringList toldTexts() const;

private:
    QList<bool> m_answers;
};

// Settings kept in memory, starting empty.
class MemorySettingsStore final : public SettingsStore {
public:
    QString read(const QString& key, const QString& defaultValue) const override
    {
        return m_values.value(key, defaultValue);
    }
    void write(const QString& key, const QString& value) override { m_values.insert(key, value); }

private:
    QHash<QString, QString> m_values;
};

// A fresh data store in its own temporary folder, open.
class TempStore {
public:
    TempStore();
    bool isValid() const { return m_valid; }
    QString dir() const { return m_dir.path(); }
    QString path() const { return DataStore::pathIn(m_dir.path()); }
    DataStore& store() { return m_store; }
    QSqlDatabase db() const { return m_store.database(); }

    // Runs one statement with its values bound in order; fails the test on error.
    bool exec(const QString& sql, const QVariantList& values = {});
    // Adds an operator with the rights at the given positions (0 to 7, in column order).
    bool addOperator(const QString& name, const QVariant& password, const QList<int>& rights);
    // The first column of the first row.
    QVariant scalar(const QString& sql, const QVariantList& values = {});

private:
    QTemporaryDir m_dir;
    DataStore m_store;
    bool m_valid = false;
};

} // namespace kestrel::test
