#pragma once

#include "operators/login.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kestrel {

class OperatorSession;
class Prompts;

// frmlogin, "Ingreso de operador": logs an operator in at start-up and changes the operator
// while the console runs.
class LoginWindow final : public QDialog {
    Q_OBJECT
public:
    LoginWindow(LoginCheck check, OperatorSession& session, Prompts& prompts,
                QWidget* parent = nullptr);

    // At start-up: the only operator without password is logged in at once, else the dialog
    // is shown.
    void startUp();
    // "Cambiar Operador": the dialog with the change-of-operator mark and "Cancelar".
    void openForChange();

    bool isChangeOfOperator() const { return m_changeMark == QLatin1String("1"); }

    // "Ingresar", also Enter in "Contraseña".
    void ingresar();
    // "Salir" at start-up, "Cancelar" during a change of operator.
    void salir();

signals:
    // LoginOK has loaded the session; changeOfOperator when opened from the console.
    void loggedIn(bool changeOfOperator);
    // "Salir" at start-up: the program ends.
    void quitRequested();

protected:
    void reject() override;

private:
    void loginOk(const OperatorRecord& record);

    LoginCheck m_check;
    OperatorSession& m_session;
    Prompts& m_prompts;
    QString m_changeMark;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_enter = nullptr;
    QPushButton* m_exit = nullptr;
};

} // namespace kestrel
