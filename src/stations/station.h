#pragma once

#include <QString>

namespace kestrel {

// One customer workstation: the visible columns of the station list and the hidden per-station
// values, all kept as the texts the console shows and stores.
struct Station {
    // Columns of the station list, in display order.
    QString pc;      // "PC": the station's name in the café, its unique key
    QString tiempo;  // "Tiempo": elapsed (counter) or remaining (prepaid) time, "h:mm:ss"
    QString modo;    // "Modo": "", "CONTADOR", "PREPAGO" or "EN ESPERA"
    QString usuario; // "Usuario": customer account that started the session
    QString sub;     // "Sub": running charge of the session, two decimals
    QString total;   // "Total": accumulated since the counters were last cleared

    // Hidden per-station values.
    QString LSTCLWA;   // state code: "", "1", "2", "3", "4"
    QString LSTESTTUS; // link state: "" not tried, "1" connected, "0" not connected
    QString LSTIPS;    // address the console connects to
    QString LSTMACS;   // MAC address reported by the agent, upper case
    QString pcnames;   // "\\" + computer name reported by the agent, "-" until reported
    QString LSTTARBAS; // hourly rate, a single-precision number as text
    QString TARIFM;    // "TC" for a compound tariff
    QString TARFC;     // compound tariff code
    QString vartipex;  // running charge already added to the total
    QString vartipex2; // elapsed time
    QString vartipex3; // prepaid time

    QString icon = QStringLiteral("imgdesconectado"); // key of the row icon

    bool operator==(const Station&) const = default;
};

namespace StationMode {
inline const QString Free;
inline const QString Counter = QStringLiteral("CONTADOR");
inline const QString Prepaid = QStringLiteral("PREPAGO");
inline const QString Waiting = QStringLiteral("EN ESPERA");
} // namespace StationMode

} // namespace kestrel
