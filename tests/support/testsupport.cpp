#include "testsupport.h"

#include <QLocale>
#include <QSqlError>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::test {

void pinCafeLocale()
{
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Ecuador));
}

bool ScriptedPrompts::askYesNo(const QString& text)
{
    questions << text;
    if (m_answers.isEmpty()) {
        unexpectedQuestions << text;
        return false;
    }
    return m_answers.takeFirst();
}

void ScriptedPrompts::tell(Icon icon, const QString& text)
{
    told << Told{icon, text};
}

QStringList ScriptedPrompts::toldTexts() const
{
    QStringList texts;
    for (const Told& t : told)
        texts << t.text;
    return texts;
}

TempStore::TempStore()
{
    if (!m_dir.isValid())
        return;
    if (const auto error = DataStore::create(path())) {
        qWarning("create: %s", qPrintable(*error));
        return;
    }
    if (const auto error = m_store.open(path())) {
        qWarning("open: %s", qPrintable(*error));
        return;
    }
    m_valid = true;
}

bool TempStore::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery q(m_store.database());
    if (!q.prepare(sql)) {
        qWarning("prepare %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        qWarning("exec %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

bool TempStore::addOperator(const QString& name, const QVariant& password, const QList<int>& rights)
{
    const QStringList columns = operatorRightColumns();
    QVariantList values{name, password};
    for (qsizetype i = 0; i < columns.size(); ++i)
        values << int(rights.contains(int(i)));
    return exec(u"INSERT INTO Operadores (Usuario, password, "_s + columns.join(u", "_s) +
                    u") VALUES (?, ?"_s + u", ?"_s.repeated(columns.size()) + u')',
                values);
}

QStringList RecordingConnections::sentTo(int index) const
{
    QStringList texts;
    for (const Sent& s : sent) {
        if (s.index == index)
            texts << QString::fromLatin1(s.bytes);
    }
    return texts;
}

QVariant TempStore::scalar(const QString& sql, const QVariantList& values)
{
    QSqlQuery q(m_store.database());
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec() || !q.next())
        return {};
    return q.value(0);
}

} // namespace kestrel::test
