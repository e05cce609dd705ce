#pragma once

#include <QString>

namespace kestrel {

// One customer workstation: the visible columns of the station list and the hidden per-station
// values, all kept as the texts the console shows and stores.
struct Station {
    // Columns of the station list (LSTPCS), in display order, named by their captions; each is
    // stored in the CYBER column named after it.
    QString pc;      // "PC": the station's name in the café, its unique key (PC)
    QString tiempo;  // "Tiempo": elapsed (counter) or remaining (prepaid) time, "h:mm:ss" (TIEMPO)
    QString modo;    // "Modo": "" free, "CONTADOR", "PREPAGO" or "EN ESPERA" (MODALIDAD)
    QString usuario; // "Usuario": customer account that started the session (CLIENTE)
    QString sub;     // "Sub": running charge of the session, two decimals (TARIFA)
    QString total;   // "Total": amount taken since the counters were last cleared (TOTAL)

    // Hidden per-station values; the CYBER column each is stored in is in brackets.
    QString LSTCLWA;   // state code sent to the agent: "" free, "1" counting, "2" counting but
                       // waiting for the start, "3" prepaid, "4" prepaid but waiting (LSTVARX)
    QString LSTESTTUS; // link state: "" not tried, "1" connected, "0" not connected (not stored)
    QString LSTIPS;    // host name or IP address the console connects to (PCIP)
    QString LSTMACS;   // MAC address reported by the agent, upper case (PCMAC)
    QString pcnames;   // "\\" + computer name reported by the agent, "-" until reported (PCNAME)
    QString LSTTARBAS; // hourly rate of the session, a single-precision number as text (TARIFBAS)
    QString TARIFM;    // tariff kind: "TC" priced by a compound tariff, else by the rate (TARIFM)
    QString TARFC;     // code of the compound tariff in TAIFASC (TARFC)
    QString vartipex;  // part of the running charge already added to the total (vartipex)
    QString vartipex2; // elapsed time of the session, "h:mm:ss" (vartipex2)
    QString vartipex3; // prepaid time bought, "h:mm:ss"; empty for a counter session (vartipex3)

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
