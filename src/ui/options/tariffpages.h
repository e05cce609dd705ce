#pragma once

#include "config/tariffadmin.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kestrel {

class Prompts;
class TariffEditor;

// The "Estandar" and "Predefinidas" pages: the tariffs of one kind, "Añadir" and "Modificar"
// through the editor, "Quitar" (enabled by a click on a row) without a question.
class TariffListPage : public QWidget {
    Q_OBJECT
public:
    // Reads the tariffs again; no row is chosen and "Quitar" is disabled.
    void reload();
    TariffEditor* editor() const { return m_editor; }

protected:
    TariffListPage(TariffAdmin::Kind kind, TariffAdmin& admin, Prompts& prompts,
                   const QString& currencySymbol, QWidget* parent);

private:
    void fill();
    int chosenRow() const;
    void openEditor(bool modify);
    void removeChosen();

    TariffAdmin::Kind m_kind;
    TariffAdmin& m_admin;
    TariffEditor* m_editor = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_remove = nullptr;
};

class StandardTariffsPage final : public TariffListPage {
    Q_OBJECT
public:
    StandardTariffsPage(TariffAdmin& admin, Prompts& prompts, const QString& currencySymbol,
                        QWidget* parent = nullptr)
        : TariffListPage(TariffAdmin::Kind::Standard, admin, prompts, currencySymbol, parent)
    {}
};

class PredefinedTariffsPage final : public TariffListPage {
    Q_OBJECT
public:
    PredefinedTariffsPage(TariffAdmin& admin, Prompts& prompts, const QString& currencySymbol,
                          QWidget* parent = nullptr)
        : TariffListPage(TariffAdmin::Kind::Predefined, admin, prompts, currencySymbol, parent)
    {}
};

// The "Compuestas" page: a name box with "Añadir", the compound tariffs, the intervals of the
// chosen one, a value box with "Cambiar" and "Quitar".
class CompoundTariffsPage final : public QWidget {
    Q_OBJECT
public:
    CompoundTariffsPage(TariffAdmin& admin, Prompts& prompts, QWidget* parent = nullptr);

    // Reads the tariffs again, as on opening: the intervals of the first compound tariff are
    // shown and "Quitar" is disabled until a compound tariff is chosen.
    void reload();

private:
    void fillCompounds();
    void fillIntervals();
    void add();
    void change();
    void removeChosen();

    TariffAdmin& m_admin;
    QLineEdit* m_name = nullptr;
    QTreeWidget* m_compounds = nullptr;
    QTreeWidget* m_intervals = nullptr;
    QLineEdit* m_value = nullptr;
    QPushButton* m_remove = nullptr;
};

} // namespace kestrel
