#pragma once

#include "operators/operatoradmin.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kestrel {

// frmoperador, "Operadores": the operators, their passwords and rights. The console opens it
// from "Administrar operadores" for operators with "Modificar Operadores".
class OperatorsWindow final : public QDialog {
    Q_OBJECT
public:
    explicit OperatorsWindow(OperatorAdmin::Services services, QWidget* parent = nullptr);

    // Every operator, in browse mode on the first row, as on opening.
    void showAll();
    // "Cancelar", then hidden: "&Cerrar", Escape and the window's close button.
    void reject() override;

    OperatorAdmin& admin() { return m_admin; }
    QTableWidget* grid() const { return m_grid; }

private:
    void fillGrid();
    void showState();
    void focus(OperatorAdmin::Field field);

    OperatorAdmin m_admin;
    QTableWidget* m_grid = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    std::array<QCheckBox*, RightCount> m_rights{};
    QPushButton* m_new = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_modify = nullptr;
    QPushButton* m_all = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_filling = false;
};

} // namespace kestrel
