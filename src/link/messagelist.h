#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTime>

namespace kestrel {

// The console's messages list: what customers wrote to the operator and what the operator
// answered, with columns "PC", "HORA" and "MENSAJE".
//
// What one station sends is not trusted to be short or rare: the list keeps at most
// MaxTextLength characters of a message (a longer one ends in "…") and its newest MaxRows rows,
// so a station that floods the console neither fills the memory nor slows every other station.
class MessageList final : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype MaxTextLength = 2000;
    static constexpr qsizetype MaxRows = 500;

    struct Row {
        QString pc;      // "PC": the station's name; "S > " + name for what the operator sent
        QString hora;    // "HORA": the time it was listed, "9:5:3"
        QString mensaje; // "MENSAJE": the message text
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
    // The oldest rows went to make room for new ones.
    void rowsDropped(int count);
    void cleared();

private:
    QList<Row> m_rows;
};

} // namespace kestrel
