#pragma once

#include <QString>

#include <array>
#include <functional>

namespace kestrel {

class LinkSender;
class Settings;

// The "Configuracion general" and "Visualizacion" pages of the options as the operator sees them:
// the texts of the combos and boxes and the state of the check boxes.
struct GeneralPreferences {
    static constexpr int DisplayCount = 12;

    QString pingInterval;        // "pinginterval", the interval combo's text
    bool restoreCounters = true; // "restorecounters": clear the amounts when a session ends
    bool askBeforeLock = false;  // "questitolock": ask before a toolbar or shortcut lock
    QString currency;            // "moneda"
    bool endAlert = true;        // "Alerta de Fin de tiempo (min)"
    QString endAlertMinutes;     // the minutes combo's text
    bool roundTariffs = false;   // "redondeotar"
    QString tax;                 // "IMPUESTO", as typed
    bool clickToStart = false;   // "clicktostart": sessions wait for the customer's start
    std::array<bool, DisplayCount> display{}; // "Visualizacion0" .. "Visualizacion11"

    // The pages as the stored keys show them, each key with the default the options pass. The
    // end-of-time alert is checked when "timetoend" is above 0; unchecked, its combo shows "0".
    static GeneralPreferences load(const Settings& settings);

    // "Aplicar": every key in its fixed order. Once "IMPUESTO" is written the supervision gets
    // its interval (the interval text's leading number x 600 ms); the display keys come last.
    // The texts are stored as typed: nothing is validated.
    void apply(Settings& settings, const std::function<void(int intervalMs)>& setInterval) const;

    bool operator==(const GeneralPreferences&) const = default;
};

// What a station does when it is locked, as "Aplicar a todos los puestos" sends it. Nothing of
// it is kept on the console.
struct LockOptions {
    int action = 0; // 0 lock only ... 4 shut down: the option button last clicked
    bool startWithSystem = false;
    bool lockWithoutServer = false;

    // "BLOCKOPT" to every station of the table whose connection is open, once; the others get
    // nothing and nothing is retried.
    void send(LinkSender& link, int stationCount) const;
};

} // namespace kestrel
