#include "ui/operators/loginwindow.h"

#include "core/operatorsession.h"
#include "core/prompts.h"
#include "ui/common/widgets.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

LoginWindow::LoginWindow(LoginCheck check, OperatorSession& session, Prompts& prompts,
                         QWidget* parent)
    : QDialog(parent), m_check(std::move(check)), m_session(session), m_prompts(prompts)
{
    setObjectName(u"frmlogin"_s);
    setWindowTitle(u"Ingreso de operador"_s);

    QLabel* heading = boldLabel(u"Login"_s, this, 1.6);

    m_user = new QLineEdit(this);
    m_user->setObjectName(u"txtusuario"_s);
    m_password = new QLineEdit(this);
    m_password->setObjectName(u"txtpassword"_s);
    m_password->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    form->addRow(u"Usuario"_s, m_user);
    form->addRow(u"Contraseña"_s, m_password);

    m_enter = new QPushButton(u"Ingresar"_s, this);
    m_enter->setObjectName(u"cmdingresar"_s);
    m_exit = new QPushButton(u"Salir"_s, this);
    m_exit->setObjectName(u"cmdsalir"_s);
    // Enter is handled by the boxes themselves, not by a default button.
    m_enter->setAutoDefault(false);
    m_exit->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_enter);
    buttons->addWidget(m_exit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(m_user, &QLineEdit::returnPressed, m_password, [this] { m_password->setFocus(); });
    connect(m_password, &QLineEdit::returnPressed, this, &LoginWindow::ingresar);
    connect(m_enter, &QPushButton::clicked, this, &LoginWindow::ingresar);
    connect(m_exit, &QPushButton::clicked, this, &LoginWindow::salir);
}

void LoginWindow::startUp()
{
    m_changeMark.clear();
    m_exit->setText(u"Salir"_s);
    if (const auto only = m_check.automaticLogin()) {
        loginOk(*only);
        return;
    }
    show();
    m_user->setFocus();
}

void LoginWindow::openForChange()
{
    m_changeMark = u"1"_s;
    m_user->clear();
    m_password->clear();
    m_exit->setText(u"Cancelar"_s);
    show();
    raise();
    activateWindow();
    m_user->setFocus();
}

void LoginWindow::ingresar()
{
    const LoginCheck::Result result = m_check.check(m_user->text(), m_password->text());
    switch (result.outcome) {
    case LoginCheck::Outcome::Accepted:
        loginOk(result.record);
        return;
    case LoginCheck::Outcome::EmptyUser:
        m_prompts.tell(Prompts::Icon::Exclamation, u"Ingrese el usuario"_s);
        return;
    case LoginCheck::Outcome::UnknownUser:
        m_prompts.tell(Prompts::Icon::Critical, u"Usuario incorrecto"_s);
        return;
    case LoginCheck::Outcome::WrongPassword:
        m_prompts.tell(Prompts::Icon::Critical, u"Contraseña incorrecta"_s);
        m_password->clear();
        m_password->setFocus();
        return;
    case LoginCheck::Outcome::StoreError:
        m_prompts.tell(Prompts::Icon::Critical,
                       u"No se pudo leer la tabla de operadores:\n"_s + result.error);
        return;
    }
}

void LoginWindow::salir()
{
    hide();
    if (!isChangeOfOperator())
        emit quitRequested();
}

void LoginWindow::reject()
{
    salir();
}

void LoginWindow::loginOk(const OperatorRecord& record)
{
    m_session.logIn(record);
    const bool change = isChangeOfOperator();
    hide();
    emit loggedIn(change);
}

} // namespace kestrel
