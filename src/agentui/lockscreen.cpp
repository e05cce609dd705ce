#include "lockscreen.h"

#include <QFormLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::agent {

namespace {

QLabel* label(const QString& name, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    return l;
}

} // namespace

LockScreen::LockScreen(bool main, QWidget* parent) : QWidget(parent), m_main(main)
{
    setObjectName(main ? u"pantallabloqueo"_s : u"pantallabloqueo2"_s);
    setWindowTitle(u"Kestrel"_s);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(true);
    setStyleSheet(u"QWidget#pantallabloqueo, QWidget#pantallabloqueo2 { background: #1f3a5f; } "
                  u"QLabel { color: white; } "
                  u"QLabel#lblaviso { color: #ffd27f; } QLabel#lblrechazo { color: #ffb3b3; } "
                  u"QPushButton#cmdempezar { background: #3c9d5d; color: white; "
                  u"border-radius: 12px; padding: 18px 48px; }"_s);

    m_cafe = label(u"lblcafe"_s, this);
    m_clock = label(u"lblreloj"_s, this);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(2);
    layout->addWidget(m_cafe);
    layout->addWidget(m_clock);
    if (!m_main) {
        layout->addStretch(3);
        return;
    }
    m_station = label(u"lblpuesto"_s, this);
    m_notice = label(u"lblaviso"_s, this);
    layout->addWidget(m_station);
    layout->addSpacing(24);

    m_modes = new QStackedWidget(this);
    // A free station: the account login.
    auto* loginPage = new QWidget(m_modes);
    auto* form = new QFormLayout;
    m_user = new QLineEdit(loginPage);
    m_user->setObjectName(u"txtusuario"_s);
    m_password = new QLineEdit(loginPage);
    m_password->setObjectName(u"txtclave"_s);
    m_password->setEchoMode(QLineEdit::Password);
    auto* userLabel = new QLabel(u"Usuario:"_s, loginPage);
    auto* passwordLabel = new QLabel(u"Contraseña:"_s, loginPage);
    form->addRow(userLabel, m_user);
    form->addRow(passwordLabel, m_password);
    m_login = new QPushButton(u"&Entrar"_s, loginPage);
    m_login->setObjectName(u"cmdentrar"_s);
    m_refusal = label(u"lblrechazo"_s, loginPage);
    QLabel* account = label(u"lblcuenta"_s, loginPage);
    account->setText(u"Ingrese con su cuenta, o pida al encargado que habilite el puesto."_s);
    auto* loginLayout = new QVBoxLayout(loginPage);
    loginLayout->addWidget(account);
    loginLayout->addLayout(form);
    loginLayout->addWidget(m_login, 0, Qt::AlignHCenter);
    loginLayout->addWidget(m_refusal);
    m_modes->addWidget(loginPage);
    connect(m_login, &QPushButton::clicked, this, &LockScreen::login);
    connect(m_password, &QLineEdit::returnPressed, this, &LockScreen::login);
    connect(m_user, &QLineEdit::returnPressed, m_password, qOverload<>(&QWidget::setFocus));

    // A session waiting for the customer: the start button.
    auto* startPage = new QWidget(m_modes);
    m_start = new QPushButton(u"&EMPEZAR"_s, startPage);
    m_start->setObjectName(u"cmdempezar"_s);
    QLabel* ready = label(u"lblempezar"_s, startPage);
    ready->setText(u"El puesto está habilitado. Presione EMPEZAR cuando esté listo."_s);
    auto* startLayout = new QVBoxLayout(startPage);
    startLayout->addWidget(ready);
    startLayout->addWidget(m_start, 0, Qt::AlignHCenter);
    startLayout->addStretch(1);
    m_modes->addWidget(startPage);
    m_modes->setMaximumWidth(560); // a form, not a banner, on a wide screen
    connect(m_start, &QPushButton::clicked, this, &LockScreen::startRequested);

    auto* centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addWidget(m_modes, 2);
    centred->addStretch(1);
    layout->addLayout(centred);
    layout->addWidget(m_notice);
    layout->addStretch(3);
}

void LockScreen::login()
{
    emit loginRequested(m_user->text(), m_password->text());
}

void LockScreen::clearLogin()
{
    if (!m_main)
        return;
    m_user->clear();
    m_password->clear();
    m_refusal->clear();
}

void LockScreen::show(const AgentView& view)
{
    m_cafe->setText(view.cafeName);
    if (m_main) {
        m_station->setText(view.stationName.isEmpty() ? QString()
                                                      : u"Puesto "_s + view.stationName);
        m_modes->setCurrentIndex(view.screen == Screen::Waiting ? 1 : 0);
        m_refusal->setText(view.loginRefusal);
        QStringList notices;
        if (view.serverLost)
            notices << u"Sin conexión con el servidor"_s;
        if (!view.consoleConfigured)
            notices << u"Sin consola configurada: solo acepta la consola de este mismo equipo."_s;
        m_notice->setText(notices.join(u'\n'));
    }
    if (!isVisible())
        m_windowed ? QWidget::show() : showFullScreen();
}

void LockScreen::setWindowed()
{
    m_windowed = true;
    setWindowFlags(Qt::Window);
    setWindowTitle(u"Kestrel: puesto (prueba)"_s);
    // In the lower right corner, where the console's station list leaves room.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    setGeometry(QRect(screen.bottomRight() - QPoint(720, 520), QSize(720, 520)));
}

void LockScreen::setClock(const QString& text)
{
    m_clock->setText(text);
}

// Sizes follow the monitor's height, from 1024×768 to 1920×1080 and beyond.
void LockScreen::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int h = std::max(height(), 480);
    QFont big = font();
    big.setPixelSize(h / 12);
    big.setBold(true);
    m_cafe->setFont(big);
    QFont clock = font();
    clock.setPixelSize(h / 16);
    m_clock->setFont(clock);
    if (!m_main)
        return;
    QFont normal = font();
    normal.setPixelSize(std::max(14, h / 40));
    m_modes->setFont(normal);
    m_notice->setFont(normal);
    QFont station = normal;
    station.setPixelSize(h / 24);
    m_station->setFont(station);
    QFont start = normal;
    start.setPixelSize(h / 16);
    start.setBold(true);
    m_start->setFont(start);
}

} // namespace kestrel::agent
