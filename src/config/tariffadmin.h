#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace kestrel {

class ActionStore;
class Prompts;

// The tariff administration of the options dialog without its widgets: the standard, predefined
// and compound tariffs as the pages list them, the rules of the tariff editor (frmaddtar) and
// every change, each one action through the ActionStore. After a change that went through the
// lists are read again from the store; a refused change leaves them as they were.
//
// Names are compared as the store compares them (ignoring case for every letter). A name may be
// given to more than one tariff; modifying or removing a standard or predefined tariff acts on
// the first tariff of that kind with the name, in table order.
class TariffAdmin final {
public:
    struct Services {
        QSqlDatabase db;
        ActionStore& actions;
        Prompts& prompts;
    };

    enum class Kind { Standard, Predefined };
    // The editor's modes, as the tags "ADD", "MODIFY", "ADDP" and "MODIFYP".
    enum class Mode { Add, Modify, AddP, ModifyP };

    // A row of the standard list ("Nombre", "Valor/Hora", "Valor Minimo") or of the predefined
    // list ("Nombre", "Minutos", "Valor", "Tipo"; the last column stays empty).
    struct Row {
        QString name;
        QString first;  // TARIFA: two decimals (standard), the minutes as stored (predefined)
        QString second; // TARIF_MIN, two decimals
    };
    // A row of the compound list ("CODIGO", "NOMBRE").
    struct Compound {
        qint64 code = 0;
        QString name;
    };
    // A row of the interval list ("Min", "Valor").
    struct Interval {
        qint64 rowid = 0;
        QString minutes;             // VALUE as stored
        QString price;               // TARIF, two decimals; empty when it has no value
        std::optional<double> value; // TARIF
    };

    explicit TariffAdmin(Services services);

    static QString tag(Mode mode);
    static std::optional<Mode> modeOfTag(QStringView tag);
    static Kind kindOf(Mode mode);
    static bool modifies(Mode mode) { return mode == Mode::Modify || mode == Mode::ModifyP; }
    // The captions of the editor's first and second amount boxes.
    static QString firstCaption(Mode mode);
    static QString secondCaption(Mode mode);

    // The Enter release in an amount box: an empty box counts as zero with two decimals, then
    // the box holds the text of its leading number ("1,5" -> "1", "1.5" -> "1,5").
    static QString normalizedOnEnter(QStringView text);
    // The order check of "Aceptar": the leading number of the first amount is not below the
    // leading number of the second.
    static bool amountsInOrder(QStringView first, QStringView second);

    // Reads every list; the first compound tariff is chosen. False (and the operator told) when
    // the tariffs cannot be read.
    bool load();
    // Reads every list again; the chosen compound tariff stays chosen while it exists.
    bool refresh();

    const std::vector<Row>& rows(Kind kind) const
    {
        return kind == Kind::Standard ? m_standard : m_predefined;
    }
    const std::vector<Compound>& compounds() const { return m_compounds; }
    // The compound tariff whose intervals are listed; -1 for none.
    int chosenCompound() const { return m_chosen; }
    // A click on a compound tariff: its intervals as the metering prices them (its rows by code,
    // those named as its first row), in table order.
    void chooseCompound(int row);
    const std::vector<Interval>& intervals() const { return m_intervals; }

    // "Aceptar" of the editor. Refused, with the operator told and nothing written, for amounts
    // out of order, an empty name, or an amount that is no number from 0 to MaxAmount. Modify
    // changes TARIFA and TARIF_MIN of the first tariff of the mode's kind with the name; nothing
    // is written when there is none.
    bool accept(Mode mode, const QString& name, const QString& first, const QString& second);
    // "Quitar" on the standard or predefined page, without a question.
    bool remove(Kind kind, int row);

    // "Añadir" on the compound page: the tariff with its four intervals.
    bool addCompound(const QString& name);
    // "Cambiar": the price of an interval of the chosen compound tariff, which may not leave the
    // prices of its neighbours' range (equal prices pass). Nothing when no interval is given.
    bool changeInterval(int row, const QString& price);
    // "Quitar" on the compound page: the tariff and all its intervals, without a question.
    // Afterwards no compound tariff is chosen.
    bool removeCompound(int row);

private:
    bool read(std::optional<qint64> chosenCode);
    std::optional<qint64> chosenCode() const;
    std::optional<double> amount(const QString& typed, const QString& what) const;

    Services m_services;
    std::vector<Row> m_standard;
    std::vector<Row> m_predefined;
    std::vector<Compound> m_compounds;
    std::vector<Interval> m_intervals;
    int m_chosen = -1;
};

} // namespace kestrel
