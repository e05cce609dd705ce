#pragma once

#include "config/tariffadmin.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrel {

// frmaddtar, "Añadir Tarifa": the name and the two amounts of a standard or predefined tariff.
// The caller sets the mode (and, to modify, the chosen row) and then shows it modally; a
// successful "Aceptar" writes through the TariffAdmin and closes it.
class TariffEditor final : public QDialog {
    Q_OBJECT
public:
    TariffEditor(TariffAdmin& admin, const QString& currencySymbol, QWidget* parent = nullptr);

    // Adding: the three boxes emptied, the name enabled. Modifying: the row's name, disabled, and
    // its two amounts as the list shows them.
    void setMode(TariffAdmin::Mode mode, const TariffAdmin::Row& row = {});
    TariffAdmin::Mode mode() const { return m_mode; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void acceptTariff();

    TariffAdmin& m_admin;
    TariffAdmin::Mode m_mode = TariffAdmin::Mode::Add;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_first = nullptr;
    QLineEdit* m_second = nullptr;
    QLabel* m_firstCaption = nullptr;
    QLabel* m_secondCaption = nullptr;
};

} // namespace kestrel
