#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace kestrel {

class ActionStore;
class Clock;
class Journal;
class Prompts;
class StationTable;

// One row of CUENTAS as the accounts window shows it, the fields named after the columns.
struct Account {
    qint64 rowid = 0;
    QString user;      // USER: the account's name
    QString password;  // PASSWORD: empty until the first login at a station sets it
    QString timeres;   // TIMERES: remaining credit, "h:mm:ss"
    QString lastVisit; // LASTVISIT: "d/M/yyyy" of the account's creation
    double rate = 0;   // TARIFBAS: hourly rate of the tariff chosen at creation
    QString timecad;   // TIMECAD: expiry date, shown only
};

// Customer accounts: prepaid station time under a user name and password, spent by logging in
// at a station. Creating an account and adding credit are sales: each writes its account row
// and its journal row in one action, so a crash leaves both or neither.
class Accounts final {
public:
    struct Services {
        QSqlDatabase db;
        StationTable& stations;
        ActionStore& actions;
        Journal& journal;
        Prompts& prompts;
        const Clock& clock;
    };

    explicit Accounts(Services services);

    // Every account in table order; nothing when the table cannot be read.
    std::optional<std::vector<Account>> all() const;
    // The accounts whose name starts with `prefix`, ignoring case for every letter. The prefix is
    // plain text: "%", "_", "*" and quotes are characters like any other.
    std::optional<std::vector<Account>> search(QStringView prefix) const;

    // What the open-station dialog hands over on "Aceptar (F1)" in its two account modes.
    struct Purchase {
        QString user;
        QString password;           // creation only
        bool resetPassword = false; // "Establecer contraseña en el proximo uso" (credit only)
        int hours = 0;              // the hour list
        int minutes = 0;            // the minute list
        QString amount;             // the amount box: what the customer paid
        float tariffRate = 0;       // hourly rate of the chosen tariff (creation only)
    };

    // A new account with the time bought, and its "CUENTA NUEVA" journal row. Refused, with the
    // operator told why and nothing written, for an empty name, a name that is already taken
    // (ignoring case) or an amount that is no number.
    bool create(const Purchase& purchase);
    // Adds the time bought to an account, with its "AUMENTO DE SALDO" journal row; a station
    // running a session of that account continues with the new credit.
    bool addCredit(const Purchase& purchase);

    // The credit after adding hours and minutes (0 to 59, as the dialog's lists hold them):
    // minutes carry into hours; the seconds stay.
    // Hours may pass 23: a customer who buys a day and a half keeps a day and a half (the
    // metering and the station login read such times), instead of wrapping to a small value.
    static QString creditAfter(QStringView timeres, int hours, int minutes);
    // "d/M/yyyy" without padding.
    static QString visitText(const QDate& date);

    // The columns an account's grid row can change.
    enum class Field {
        Password,  // PASSWORD
        Timeres,   // TIMERES: remaining credit
        LastVisit, // LASTVISIT: day of creation
        Rate,      // TARIFBAS: hourly rate
        Timecad,   // TIMECAD: expiry date
    };
    // Changes one field of one account (the grid's cells, with the right "Modificar Cuentas").
    // A time that is no "h:mm:ss", a date that is no "d/M/yyyy" or a rate that is no number is
    // refused with a message, and nothing is written.
    bool edit(qint64 rowid, Field field, const QString& value);

private:
    std::optional<Account> find(QStringView user) const;
    std::optional<std::vector<Account>> read(QStringView prefix) const;
    std::optional<double> paidAmount(const QString& text) const;

    Services m_services;
};

} // namespace kestrel
