#include "tariffadmin.h"

#include "core/numbers.h"
#include "core/prompts.h"
#include "core/typednumber.h"
#include "stations/actionstore.h"
#include "tariffs/tariffs.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

const QString StandardKind = u"ST"_s;
const QString PredefinedKind = u"PR"_s;
const QString CompoundKind = u"TC"_s;

// The intervals a new compound tariff starts with: block end in minutes, price.
const std::pair<const char16_t*, double> DefaultIntervals[] = {
    {u"15", 0.20}, {u"30", 0.40}, {u"45", 0.50}, {u"60", 0.60}};

QString kindCode(TariffAdmin::Kind kind)
{
    return kind == TariffAdmin::Kind::Standard ? StandardKind : PredefinedKind;
}

// A stored amount as the lists show it: null shows nothing, a text that is no number shows as it
// is, so the operator sees what is wrong and can correct or remove it.
QString shown(const QVariant& value, bool twoDecimals)
{
    if (value.isNull())
        return {};
    const std::optional<double> number = storedAmount(value);
    if (!number)
        return value.toString();
    return twoDecimals ? formatAmount(*number) : formatGeneralDouble(*number);
}

// A price compared with its neighbours: as it shows, with two decimals.
Money shownPrice(double value)
{
    return Money::fromDouble(parseNumber(formatAmount(value)).value_or(0.0));
}

} // namespace

TariffAdmin::TariffAdmin(Services services) : m_services(std::move(services)) {}

QString TariffAdmin::tag(Mode mode)
{
    switch (mode) {
    case Mode::Add:
        return u"ADD"_s;
    case Mode::Modify:
        return u"MODIFY"_s;
    case Mode::AddP:
        return u"ADDP"_s;
    case Mode::ModifyP:
        return u"MODIFYP"_s;
    }
    return {};
}

std::optional<TariffAdmin::Mode> TariffAdmin::modeOfTag(QStringView text)
{
    for (Mode mode : {Mode::Add, Mode::Modify, Mode::AddP, Mode::ModifyP}) {
        if (text == tag(mode))
            return mode;
    }
    return std::nullopt;
}

TariffAdmin::Kind TariffAdmin::kindOf(Mode mode)
{
    return mode == Mode::Add || mode == Mode::Modify ? Kind::Standard : Kind::Predefined;
}

QString TariffAdmin::firstCaption(Mode mode)
{
    return kindOf(mode) == Kind::Standard ? u"Valor/Hora"_s : u"Minutos"_s;
}

QString TariffAdmin::secondCaption(Mode mode)
{
    return kindOf(mode) == Kind::Standard ? u"Valor Minimo"_s : u"Valor"_s;
}

QString TariffAdmin::normalizedOnEnter(QStringView text)
{
    const QString filled = text.isEmpty() ? formatAmount(0.0) : text.toString();
    return formatGeneralDouble(leadingNumber(filled));
}

bool TariffAdmin::amountsInOrder(QStringView first, QStringView second)
{
    return !(leadingNumber(first) < leadingNumber(second));
}

bool TariffAdmin::load()
{
    if (!read(std::nullopt))
        return false;
    chooseCompound(0);
    return true;
}

bool TariffAdmin::refresh()
{
    return read(chosenCode());
}

std::optional<qint64> TariffAdmin::chosenCode() const
{
    if (m_chosen < 0)
        return std::nullopt;
    return m_compounds[std::size_t(m_chosen)].code;
}

// Reads the lists; the compound tariff with `chosenCode` stays chosen if it is still there.
bool TariffAdmin::read(std::optional<qint64> chosenCode)
{
    QSqlQuery q(m_services.db);
    q.setForwardOnly(true);
    std::vector<Row> standard;
    std::vector<Row> predefined;
    std::vector<Compound> compounds;
    bool ok = q.exec(u"SELECT NOMBRE, TARIFA, TARIF_MIN, TIPO FROM TARIFAS ORDER BY rowid"_s);
    while (ok && q.next()) {
        const QString kind = q.value(3).toString();
        if (kind == StandardKind)
            standard.push_back(
                {q.value(0).toString(), shown(q.value(1), true), shown(q.value(2), true)});
        else if (kind == PredefinedKind)
            predefined.push_back(
                {q.value(0).toString(), shown(q.value(1), false), shown(q.value(2), true)});
    }
    // One row per compound tariff in the order its intervals were written, named as its first.
    ok = ok && q.exec(u"SELECT CODIGO, NOMBRE FROM TAIFASC ORDER BY rowid"_s);
    while (ok && q.next()) {
        const qint64 code = q.value(0).toLongLong();
        if (std::none_of(compounds.begin(), compounds.end(),
                         [code](const Compound& c) { return c.code == code; }))
            compounds.push_back({code, q.value(1).toString()});
    }
    if (!ok) {
        m_services.prompts.tell(Prompts::Icon::Critical,
                                u"No se pudieron leer las tarifas.\n"_s + q.lastError().text());
        return false;
    }
    m_standard = std::move(standard);
    m_predefined = std::move(predefined);
    m_compounds = std::move(compounds);
    const auto chosen =
        std::find_if(m_compounds.begin(), m_compounds.end(),
                     [chosenCode](const Compound& c) { return c.code == chosenCode; });
    if (chosen == m_compounds.end()) {
        m_chosen = -1;
        m_intervals.clear();
    } else {
        chooseCompound(int(chosen - m_compounds.begin()));
    }
    return true;
}

void TariffAdmin::chooseCompound(int row)
{
    m_intervals.clear();
    m_chosen = row >= 0 && std::size_t(row) < m_compounds.size() ? row : -1;
    if (m_chosen < 0)
        return;
    QSqlQuery q(m_services.db);
    q.setForwardOnly(true);
    q.prepare(u"SELECT VALUE, TARIF, NOMBRE, rowid FROM TAIFASC WHERE CODIGO = ? ORDER BY rowid"_s);
    q.addBindValue(m_compounds[std::size_t(m_chosen)].code);
    if (!q.exec()) {
        m_services.prompts.tell(Prompts::Icon::Critical,
                                u"No se pudieron leer los intervalos de la tarifa.\n"_s +
                                    q.lastError().text());
        return;
    }
    // Exactly the rows the metering prices with.
    forEachCompoundRow(q, [this](const QSqlQuery& row) {
        m_intervals.push_back({row.value(3).toLongLong(),
                               row.value(0).isNull() ? QString() : row.value(0).toString(),
                               shown(row.value(1), true), storedAmount(row.value(1))});
    });
}

std::optional<double> TariffAdmin::amount(const QString& typed, const QString& what) const
{
    return numberInRange(parseNumber(typed.trimmed()), what, 0, MaxAmount, m_services.prompts);
}

bool TariffAdmin::accept(Mode mode, const QString& name, const QString& first,
                         const QString& second)
{
    Prompts& prompts = m_services.prompts;
    if (!amountsInOrder(first, second)) {
        prompts.tell(Prompts::Icon::Exclamation, u"Valores errones, Valor minimo incorrecto"_s);
        return false;
    }
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) {
        prompts.tell(Prompts::Icon::Exclamation, u"Ingrese un nombre para la tarifa"_s);
        return false;
    }
    const auto firstValue = amount(first, u"«"_s + firstCaption(mode) + u'»');
    if (!firstValue)
        return false;
    const auto secondValue = amount(second, u"«"_s + secondCaption(mode) + u'»');
    if (!secondValue)
        return false;
    const QString kind = kindCode(kindOf(mode));

    bool done = false;
    if (!modifies(mode)) {
        done =
            m_services.actions.run(u"añadir la tarifa "_s + trimmed, [&](ActionStore::Action& a) {
                a.exec(
                    u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES (?, ?, ?, ?)"_s,
                    {trimmed, *firstValue, *secondValue, kind});
            });
    } else {
        // The name box of a modification holds the list's name as it is stored.
        QSqlQuery q(m_services.db);
        q.prepare(u"SELECT rowid FROM TARIFAS WHERE NOMBRE = ? AND TIPO = ? ORDER BY rowid "
                  u"LIMIT 1"_s);
        q.addBindValue(name);
        q.addBindValue(kind);
        if (!q.exec() || !q.next()) {
            prompts.tell(
                Prompts::Icon::Exclamation,
                u"La tarifa «%1» ya no existe."_s.arg(name) +
                    (q.lastError().isValid() ? u"\n"_s + q.lastError().text() : QString()));
            return false;
        }
        const qint64 rowid = q.value(0).toLongLong();
        done =
            m_services.actions.run(u"modificar la tarifa "_s + name, [&](ActionStore::Action& a) {
                a.exec(u"UPDATE TARIFAS SET TARIFA = ?, TARIF_MIN = ? WHERE rowid = ?"_s,
                       {*firstValue, *secondValue, rowid});
            });
    }
    if (done)
        refresh();
    return done;
}

bool TariffAdmin::remove(Kind kind, int row)
{
    const std::vector<Row>& list = rows(kind);
    if (row < 0 || std::size_t(row) >= list.size())
        return false;
    const QString name = list[std::size_t(row)].name;
    const bool done =
        m_services.actions.run(u"quitar la tarifa "_s + name, [&](ActionStore::Action& a) {
            a.exec(u"DELETE FROM TARIFAS WHERE rowid = (SELECT rowid FROM TARIFAS WHERE NOMBRE = ? "
                   u"AND TIPO = ? ORDER BY rowid LIMIT 1)"_s,
                   {name, kindCode(kind)});
        });
    if (done)
        refresh();
    return done;
}

bool TariffAdmin::addCompound(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) {
        m_services.prompts.tell(Prompts::Icon::None, u"Ingrese un nombre para la tarifa"_s);
        return false;
    }
    const bool done = m_services.actions.run(
        u"añadir la tarifa compuesta "_s + trimmed, [&](ActionStore::Action& a) {
            QSqlQuery q(a.db());
            if (!a.exec(q, u"INSERT INTO TARIFAS (NOMBRE, TIPO) VALUES (?, ?)"_s,
                        {trimmed, CompoundKind}))
                return;
            const qint64 code = q.lastInsertId().toLongLong();
            for (const auto& [minutes, price] : DefaultIntervals) {
                if (!a.exec(u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) "
                            u"VALUES (?, ?, ?, ?)"_s,
                            {code, QString::fromUtf16(minutes), price, trimmed}))
                    return;
            }
        });
    if (done)
        refresh();
    return done;
}

bool TariffAdmin::changeInterval(int row, const QString& price)
{
    if (m_chosen < 0 || row < 0 || std::size_t(row) >= m_intervals.size())
        return false;
    const auto value = amount(price, u"El valor"_s);
    if (!value)
        return false;
    const Money wanted = shownPrice(*value);
    // A neighbour without a price sets no limit.
    const auto below = [&](std::size_t i) {
        const auto& v = m_intervals[i].value;
        return v && wanted < shownPrice(*v);
    };
    const auto above = [&](std::size_t i) {
        const auto& v = m_intervals[i].value;
        return v && wanted > shownPrice(*v);
    };
    const std::size_t i = std::size_t(row);
    const std::size_t last = m_intervals.size() - 1;
    QString refusal;
    if (i > 0 && i < last && (below(i - 1) || above(i + 1)))
        refusal = u"Valor invalido: ingrese un valor de acuerdo al intervalo"_s;
    else if (i == last && i > 0 && below(i - 1))
        refusal = u"Valor invalido: ingrese un valor menor"_s;
    else if (i == 0 && last > 0 && above(1))
        refusal = u"Valor invalido: ingrese un valor menor"_s;
    if (!refusal.isEmpty()) {
        m_services.prompts.tell(Prompts::Icon::Exclamation, refusal);
        return false;
    }
    const Compound tariff = m_compounds[std::size_t(m_chosen)];
    const qint64 rowid = m_intervals[i].rowid;
    const bool done = m_services.actions.run(
        u"cambiar el intervalo de la tarifa "_s + tariff.name, [&](ActionStore::Action& a) {
            a.exec(u"UPDATE TAIFASC SET TARIF = ? WHERE rowid = ?"_s, {*value, rowid});
        });
    if (done)
        read(tariff.code);
    return done;
}

bool TariffAdmin::removeCompound(int row)
{
    if (row < 0 || std::size_t(row) >= m_compounds.size())
        return false;
    const Compound tariff = m_compounds[std::size_t(row)];
    const bool done = m_services.actions.run(
        u"quitar la tarifa compuesta "_s + tariff.name, [&](ActionStore::Action& a) {
            if (a.exec(u"DELETE FROM TARIFAS WHERE CODIGO = ?"_s, {tariff.code}))
                a.exec(u"DELETE FROM TAIFASC WHERE CODIGO = ?"_s, {tariff.code});
        });
    if (done)
        read(std::nullopt);
    return done;
}

} // namespace kestrel
