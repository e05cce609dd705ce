#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kestrel {

class PrinterAdmin;
class Prompts;

// The "Impresiones" page of the options dialog: each printer's price per page and its quantity
// discount. Printers stored but no longer installed are listed greyed after the installed ones.
class PrintersPage final : public QWidget {
    Q_OBJECT
public:
    // The operator is told of refusals by the admin class, through the same prompts.
    PrintersPage(PrinterAdmin& admin, Prompts& prompts, QWidget* parent = nullptr);

    // Asks for the installed printers again; the list follows when they come.
    void reload();

private:
    void showRows();
    void choose(int row);
    void save();

    PrinterAdmin& m_admin;
    QTreeWidget* m_list = nullptr;
    QLabel* m_status = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_price = nullptr;
    QLineEdit* m_count = nullptr;
    QLineEdit* m_discount = nullptr;
    QPushButton* m_save = nullptr;
    QString m_chosen;
    bool m_filling = false;
};

} // namespace kestrel
