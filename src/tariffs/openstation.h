#pragma once

#include "tariffs/tariffs.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace kestrel {

class ActionStore;
class Prompts;
class Settings;
class StationTable;
struct Station;

// The modes of the open-station dialog. They travel between windows as text tags.
enum class OpenMode {
    Open,    // "OPEN": open the selected station
    Modo,    // "MODO": change the mode and tariff of the selected station
    Increm,  // "INCREM": add prepaid time to the selected station
    Create,  // "CREATE": new customer account
    IncremU, // "INCREMU": add credit to a customer account
};

std::optional<OpenMode> openModeOf(QStringView tag);
QString tagOf(OpenMode mode);

// How the dialog is prepared for a mode: captions, which parts are shown or enabled, and where
// the tariff list is preset from.
struct OpenModeSetup {
    enum class Preset {
        None,        // the operator picks the tariff
        StationRate, // first tariff at the station's hourly rate
        GivenRate,   // first tariff at the hourly rate passed in (the account's)
    };

    QString heading;     // the caption above the dialog's fields
    QString windowTitle; // the window's own caption
    bool needsStation = true;
    bool writesStation = true; // Aceptar writes the station; otherwise it is an account operation
    bool waitBoxShown = false;
    bool userFrameShown = false;
    bool passwordShown = true;
    bool modeFieldEnabled = true;
    bool modeFieldShowsStation = false; // the mode field shows the station's "Modo" column
    bool tariffListEnabled = true;
    bool modeFrameEnabled = true;
    bool takesStationRate = false; // the working hourly rate starts at the station's
    Preset preset = Preset::None;
};

OpenModeSetup setupOf(OpenMode mode);

// Whether the dialog starts with "P&repago" chosen for this mode and station (the station may be
// null for the account modes).
bool startsPrepaid(OpenMode mode, const Station* station);

// The entries of the mode field.
QStringList modeFieldEntries();

// What the dialog shows when "Aceptar (F1)" is pressed.
struct OpenChoice {
    bool prepaid = false; // "P&repago" chosen rather than "&Contador"
    bool waitBox = false; // "&Esperar" checked
    int hours = 0;        // the hour list
    int minutes = 0;      // the minute list
};

// The rules of the open-station dialog, without widgets: the tariff list and the working values
// of the selected tariff, the conversions between time and money, and what "Aceptar (F1)"
// writes into the station table.
class OpenStation {
public:
    OpenStation(StationTable& stations, ActionStore& actions, Settings& settings, Prompts& prompts);

    // Reads every tariff of TARIFAS and clears the selection and the working values. A table
    // that cannot be read leaves the list empty; false then.
    bool loadTariffs(QSqlDatabase db);

    const std::vector<Tariff>& tariffs() const { return m_tariffs; }
    QStringList tariffNames() const;

    // The tariff the operator chose; none until one is chosen.
    int selection() const { return m_selection; }
    const Tariff* selected() const;

    // The operator chooses a tariff: the compound rows are cleared; a compound tariff has no
    // hourly rate and brings its rows; every kind brings its minimum charge. An index outside
    // the list clears the selection and leaves the working values.
    void choose(int index);

    // The first tariff whose hourly rate, with two decimals, equals the rate text with two
    // decimals; -1 when none does or the text is no number.
    int presetIndex(QStringView rateText) const;

    // Working values for the selected tariff.
    float hourlyRate() const { return m_hourlyRate; }
    float minimumCharge() const { return m_minimumCharge; }
    const std::vector<CompoundRow>& compoundRows() const { return m_rows; }
    // "MODO" starts from the station's own rate until a tariff is chosen.
    void setHourlyRate(float rate) { m_hourlyRate = rate; }

    // Time to money and money to time for the selected tariff (the first one while none is
    // chosen). Nothing / empty fields when there is no tariff or the conversion fails: the
    // dialog then leaves its controls as they are.
    std::optional<QString> amountFor(QStringView hours, QStringView minutes) const;
    TimeChoice timeFor(QStringView amount) const;

    // Whether an opening waits for the customer's start: always with "clicktostart", else as
    // the wait box says.
    bool waits(bool waitBox) const;
    // The wait box is checked and locked while "clicktostart" decides.
    bool waitBoxLocked() const;

    enum class Outcome {
        Written,          // the station was written
        NoTariff,         // "Seleccione la tarifa" was shown, nothing written
        NoStation,        // the station index is not valid, nothing written
        AccountRequested, // an account mode: the station is not the dialog's to write
        Failed,           // the store refused: the station is as it was, the operator was told
    };

    // "Aceptar (F1)" on station `index` in `mode`.
    Outcome accept(OpenMode mode, int index, const OpenChoice& choice);

    // The prepaid time text of an opening: "1:05:00" for 1 hour 5 minutes.
    static QString prepaidTimeText(int hours, int minutes);
    // The prepaid time after adding hours and minutes to a running station; `tiempo` is its
    // "Tiempo" column, whose seconds the added time carries.
    static QString extendedPrepaidTime(QStringView oldPrepaid, QStringView tiempo, int hours,
                                       int minutes);

private:
    void writeCounter(Station& s, bool waiting) const;
    void writePrepaid(Station& s, bool waiting, const OpenChoice& choice) const;
    void writeAddedTime(Station& s, const OpenChoice& choice) const;
    QString rateText() const;

    StationTable& m_stations;
    ActionStore& m_actions;
    Settings& m_settings;
    Prompts& m_prompts;
    QSqlDatabase m_db;
    std::vector<Tariff> m_tariffs;
    int m_selection = -1;
    float m_hourlyRate = 0.0f;
    float m_minimumCharge = 0.0f;
    std::vector<CompoundRow> m_rows;
};

} // namespace kestrel
