#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTime>

namespace kestrel {

// The console's messages list: what customers wrote to the operator and what the operator
// answered, with columns "PC", "HORA" and "MENSAJE".
class MessageList final : public QObject {
    Q_OBJECT
public:
    struct Row {
        QString pc;
        QString hora;
        QString mensaje;
        bool operator==(const Row&) const = default;
    };

    using QObject::QObject;

    // "HORA": hour, minute and second without leading zeros, "9:5:3".
    static QString hourText(QTime time);
    // Prefix of the rows the operator sent.
    static QString sentPrefix() { return QStringLiteral("S > "); }

    void add(const QString& pc, QTime time, const QString& text);
    void clear();
    const QList<Row>& rows() const { return m_rows; }

signals:
    void rowAdded(int row);
    void cleared();

private:
    QList<Row> m_rows;
};

} // namespace kestrel
