#include "openstation.h"

#include "core/numbers.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "core/timetext.h"
#include "stations/actionstore.h"
#include "stations/stationtable.h"

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

struct ModeTag {
    OpenMode mode;
    QLatin1StringView tag;
};

constexpr ModeTag ModeTags[] = {
    {OpenMode::Open, QLatin1StringView("OPEN")},
    {OpenMode::Modo, QLatin1StringView("MODO")},
    {OpenMode::Increm, QLatin1StringView("INCREM")},
    {OpenMode::Create, QLatin1StringView("CREATE")},
    {OpenMode::IncremU, QLatin1StringView("INCREMU")},
};

// Every addition of prepaid time gives one minute less than it adds.
constexpr qint64 HeldBackSeconds = 60;

// The state codes a prepaid session runs or waits under.
bool isPrepaidCode(const QString& code)
{
    return code == u"3"_s || code == u"4"_s;
}

} // namespace

std::optional<OpenMode> openModeOf(QStringView tag)
{
    for (const ModeTag& t : ModeTags) {
        if (tag == t.tag)
            return t.mode;
    }
    return std::nullopt;
}

QString tagOf(OpenMode mode)
{
    for (const ModeTag& t : ModeTags) {
        if (t.mode == mode)
            return QString(t.tag);
    }
    return {};
}

OpenModeSetup setupOf(OpenMode mode)
{
    OpenModeSetup s;
    switch (mode) {
    case OpenMode::Open:
        s.heading = u"HABILITAR"_s;
        s.windowTitle = u"HABILITAR PUESTO"_s;
        s.waitBoxShown = true;
        break;
    case OpenMode::Modo:
        s.heading = s.windowTitle = u"CAMBIAR MODO"_s;
        s.modeFieldShowsStation = true;
        s.takesStationRate = true;
        break;
    case OpenMode::Increm:
        s.heading = s.windowTitle = u"AUMENTAR CREDITO"_s;
        s.modeFieldEnabled = false;
        s.modeFieldShowsStation = true;
        s.modeFrameEnabled = false;
        s.preset = OpenModeSetup::Preset::StationRate;
        break;
    case OpenMode::Create:
        s.heading = u"Crear nueva cuenta:"_s;
        s.windowTitle = u"NUEVO USUARIO"_s;
        s.needsStation = false;
        s.writesStation = false;
        s.userFrameShown = true;
        // An account only ever holds prepaid time: there is no mode to choose.
        s.modeFieldEnabled = false;
        s.modeFrameEnabled = false;
        break;
    case OpenMode::IncremU:
        s.heading = u"Acreditar:"_s;
        s.windowTitle = u"AUMTENTAR"_s;
        s.needsStation = false;
        s.writesStation = false;
        s.userFrameShown = true;
        s.passwordShown = false;
        s.modeFieldEnabled = false;
        s.modeFrameEnabled = false;
        s.tariffListEnabled = false;
        s.preset = OpenModeSetup::Preset::GivenRate;
        break;
    }
    return s;
}

bool startsPrepaid(OpenMode mode, const Station* station)
{
    switch (mode) {
    case OpenMode::Open:
        return false;
    case OpenMode::Modo:
        // Changing the mode starts from the mode the station runs in.
        return station && isPrepaidCode(station->LSTCLWA);
    case OpenMode::Increm:
    case OpenMode::Create:
    case OpenMode::IncremU:
        return true;
    }
    return false;
}

QStringList modeFieldEntries()
{
    return {StationMode::Counter, StationMode::Prepaid, u"PREDEFINIDA"_s, u"COMPUESTA"_s};
}

OpenStation::OpenStation(StationTable& stations, ActionStore& actions, Settings& settings,
                         Prompts& prompts)
    : m_stations(stations), m_actions(actions), m_settings(settings), m_prompts(prompts)
{}

bool OpenStation::loadTariffs(QSqlDatabase db)
{
    m_db = std::move(db);
    m_selection = -1;
    m_hourlyRate = 0.0f;
    m_minimumCharge = 0.0f;
    m_rows.clear();
    auto read = TariffStore(m_db).tariffs();
    m_tariffs = read ? std::move(*read) : std::vector<Tariff>{};
    return read.has_value();
}

QStringList OpenStation::tariffNames() const
{
    QStringList names;
    for (const Tariff& t : m_tariffs)
        names << t.name;
    return names;
}

const Tariff* OpenStation::selected() const
{
    return m_selection >= 0 ? selectedTariff(m_tariffs, m_selection) : nullptr;
}

void OpenStation::choose(int index)
{
    if (index < 0 || std::size_t(index) >= m_tariffs.size()) {
        m_selection = -1;
        return;
    }
    m_selection = index;
    const Tariff& t = m_tariffs[std::size_t(index)];
    m_rows.clear();
    if (t.isCompound())
        m_rows = TariffStore(m_db).compoundRows(t.code).value_or(std::vector<CompoundRow>{});
    m_hourlyRate = kestrel::hourlyRate(t);
    // A compound tariff brings its own minimum charge too (normally none), so an opening never
    // charges the minimum of a tariff chosen before it.
    m_minimumCharge = kestrel::minimumCharge(t);
}

int OpenStation::presetIndex(QStringView rateText) const
{
    const auto rate = parseSingle(rateText);
    if (!rate)
        return -1;
    const QString wanted = formatSingle(*rate, 2);
    for (std::size_t i = 0; i < m_tariffs.size(); ++i) {
        if (formatSingle(kestrel::hourlyRate(m_tariffs[i]), 2) == wanted)
            return int(i);
    }
    return -1;
}

std::optional<QString> OpenStation::amountFor(QStringView hours, QStringView minutes) const
{
    const Tariff* t = selectedTariff(m_tariffs, m_selection);
    if (!t)
        return std::nullopt;
    return CALCULATEA(*t, m_rows, hours, minutes);
}

TimeChoice OpenStation::timeFor(QStringView amount) const
{
    const Tariff* t = selectedTariff(m_tariffs, m_selection);
    if (!t)
        return {};
    return CALCULATEB(*t, m_rows, amount);
}

bool OpenStation::waits(bool waitBox) const
{
    return m_settings.clickToStart() || waitBox;
}

bool OpenStation::waitBoxLocked() const
{
    return m_settings.clickToStart();
}

OpenStation::Outcome OpenStation::accept(OpenMode mode, int index, const OpenChoice& choice)
{
    if (!selected()) {
        m_prompts.tell(Prompts::Icon::Information, u"Seleccione la tarifa"_s);
        return Outcome::NoTariff;
    }
    if (!setupOf(mode).writesStation)
        return Outcome::AccountRequested;
    if (!m_stations.isValidIndex(index))
        return Outcome::NoStation;

    const bool waiting = waits(choice.waitBox);
    const QString what =
        (mode == OpenMode::Increm ? u"aumentar el tiempo del puesto "_s : u"abrir el puesto "_s) +
        m_stations.at(index).pc;
    const bool done = m_actions.run(what, [&](ActionStore::Action&) {
        m_stations.update(index, [&](Station& s) {
            if (mode == OpenMode::Increm)
                writeAddedTime(s, choice);
            else if (choice.prepaid)
                writePrepaid(s, waiting, choice);
            else
                writeCounter(s, waiting);
        });
    });
    return done ? Outcome::Written : Outcome::Failed;
}

QString OpenStation::rateText() const
{
    return formatSingle(m_hourlyRate, 2);
}

// Opening or changing the mode starts the session anew, whatever the station was doing.
void OpenStation::writeCounter(Station& s, bool waiting) const
{
    const Tariff& t = *selected();
    s.modo = waiting ? StationMode::Waiting : StationMode::Counter;
    s.LSTCLWA = waiting ? u"2"_s : u"1"_s;
    s.tiempo = TimeText::zero();
    s.sub = formatSingle(m_minimumCharge, 2);
    s.vartipex.clear();
    s.vartipex2.clear();
    s.LSTTARBAS = rateText();
    // CODIGO is the table's key and so never null.
    s.TARFC = QString::number(t.code);
    s.TARIFM = t.tipo;
}

void OpenStation::writePrepaid(Station& s, bool waiting, const OpenChoice& choice) const
{
    const Tariff& t = *selected();
    s.LSTTARBAS = rateText();
    s.modo = waiting ? StationMode::Waiting : StationMode::Prepaid;
    s.LSTCLWA = waiting ? u"4"_s : u"3"_s;
    s.sub = formatSingle(m_minimumCharge, 2);
    s.TARIFM = t.tipo;
    s.TARFC = QString::number(t.code);
    s.vartipex3 = prepaidTimeText(choice.hours, choice.minutes);
    s.vartipex2.clear();
    s.vartipex = TimeText::zero();
    s.tiempo = s.vartipex3;
}

void OpenStation::writeAddedTime(Station& s, const OpenChoice& choice) const
{
    s.vartipex2.clear();
    s.vartipex3 = extendedPrepaidTime(s.vartipex3, s.tiempo, choice.hours, choice.minutes);
    s.LSTTARBAS = rateText();
}

QString OpenStation::prepaidTimeText(int hours, int minutes)
{
    return TimeText::format({hours, minutes, 0});
}

QString OpenStation::extendedPrepaidTime(QStringView oldPrepaid, QStringView tiempo, int hours,
                                         int minutes)
{
    // The added time carries the seconds the station shows, so the remaining time keeps its
    // seconds; one minute is held back from every addition.
    const int seconds = TimeText::fields(tiempo).value_or(TimeText::Fields{}).seconds;
    const qint64 added = qint64(hours) * 3600 + qint64(minutes) * 60 + seconds;
    // A prepaid time that is no time (damaged or empty) counts as nothing bought so far; the
    // result never goes below 0:00:00 and may pass 23 hours, both of which the metering counts
    // down.
    const qint64 old = TimeText::toSeconds(oldPrepaid).value_or(0);
    const qint64 total = old + added - HeldBackSeconds;
    return TimeText::fromSeconds(total);
}

} // namespace kestrel
