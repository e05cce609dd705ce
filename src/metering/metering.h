#pragma once

#include "core/preparedstatement.h"
#include "stations/station.h"
#include "tariffs/tariffs.h"

#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace kestrel {

class Clock;
class Journal;
class LinkSender;
class Settings;
class StationRows;
class StationTable;

// One second more of a time text (an empty or unreadable time counts as "0:00:00"), and the
// charge of the stepped time at an hourly rate: whole hours and minutes, computed in double
// precision and kept in single precision. Seconds do not enter the charge.
struct SteppedTime {
    QString time;
    float charge = 0;
};
SteppedTime CNTTIMER(QStringView time, float rate);

// The minutes field of a time text: the text between the first and the second ":". An empty
// time counts as "0:00:00".
QString Minute2(QStringView time);

// The per-second metering: advances every running session, prices it, counts prepaid time down,
// warns and frees the stations whose time runs out, writes every station back to CYBER, mirrors
// each customer's time into the account and works out the status bar texts.
//
// All station rows of a tick are written in one transaction, together with the journal rows of
// the sessions that ended in it, through the shared StationRows, so a row whose stored values did
// not change is not written again.
//
// A compound session keeps the price it was opened with: the rows of its tariff that first priced
// it are kept for the station until the station is free again (or runs under another tariff), so
// a later change or removal of that tariff reaches only the sessions opened after it. They are
// kept in memory only: after a restart a running session is priced by the rows then stored.
class Metering : public QObject {
    Q_OBJECT
public:
    struct Services {
        StationTable& stations;
        StationRows& rows;
        QSqlDatabase db;
        const Settings& settings;
        LinkSender& link;
        Journal& journal;
        const Clock& clock;
    };

    explicit Metering(Services services, QObject* parent = nullptr);

    // One tick of the metering timer (XMTIMER, every second).
    void tick();

    // The status bar texts of the last tick: free and occupied stations, the date, the time.
    QString stationsText() const { return m_stationsText; }
    QString dateText() const { return m_dateText; }
    QString timeText() const { return m_timeText; }

signals:
    // After every tick, once the stations are written.
    void ticked();
    // A prepaid session ran out and its station was freed.
    void prepaidEnded(int index);
    // The data store refused a write; the message is for the operator. Sent once per distinct
    // problem, again only after a tick went through.
    void storeFailed(const QString& message);

private:
    using Steps = std::optional<std::vector<CompoundRow>>;

    void priceStandard(Station& s, float rate);
    void priceCompound(Station& s);
    // Returns whether the prepaid time ran out.
    bool countDown(int index, Station& s, double warningMinutes, bool restoreCounters);
    void mirrorAccount(const Station& s);
    const Steps& compoundSteps(const QString& code);
    void fail(const QString& what, const QString& error);

    Services m_services;
    PreparedStatement m_steps;
    PreparedStatement m_account;

    QHash<QString, Steps> m_stepsThisTick;
    // The rows each running compound session was first priced with, by station, and the last
    // tick that priced it.
    struct KeptSteps {
        QString code;
        std::vector<CompoundRow> rows;
        quint64 tick = 0;
    };
    QHash<QString, KeptSteps> m_kept;
    quint64 m_ticks = 0;

    AmountMemo m_memo;
    QString m_zero; // zero with two decimals

    QStringList m_failures; // this tick's
    QString m_lastReported;

    QString m_stationsText;
    QString m_dateText;
    QString m_timeText;
};

} // namespace kestrel
