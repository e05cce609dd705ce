#include "sessionpanel.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::agent {

SessionPanel::SessionPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(u"panelsesion"_s);
    setWindowTitle(u"Kestrel"_s);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setStyleSheet(u"QWidget#panelsesion { background: #1f3a5f; border: 1px solid #0e1d30; } "
                  u"QLabel { color: white; } QLabel#lbltiempo { font-size: 20px; "
                  u"font-weight: bold; }"_s);

    m_caption = new QLabel(this);
    m_caption->setObjectName(u"lblrotulo"_s);
    m_fold = new QPushButton(u"–"_s, this);
    m_fold->setObjectName(u"cmdplegar"_s);
    m_fold->setFixedWidth(28);
    m_fold->setToolTip(u"Plegar o desplegar"_s);
    m_time = new QLabel(this);
    m_time->setObjectName(u"lbltiempo"_s);
    auto* top = new QHBoxLayout;
    top->addWidget(m_caption);
    top->addWidget(m_time, 1, Qt::AlignRight);
    top->addWidget(m_fold);

    m_details = new QWidget(this);
    m_amount = new QLabel(m_details);
    m_amount->setObjectName(u"lblimporte"_s);
    m_user = new QLabel(m_details);
    m_user->setObjectName(u"lblusuario"_s);
    m_logout = new QPushButton(u"Cerrar &sesión"_s, m_details);
    m_logout->setObjectName(u"cmdsalir"_s);
    auto* details = new QVBoxLayout(m_details);
    details->setContentsMargins(0, 0, 0, 0);
    details->addWidget(m_amount);
    details->addWidget(m_user);
    details->addWidget(m_logout);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->addLayout(top);
    layout->addWidget(m_details);
    setMinimumWidth(240);

    connect(m_fold, &QPushButton::clicked, this, [this] { setCollapsed(!m_collapsed); });
    connect(m_logout, &QPushButton::clicked, this, &SessionPanel::logoutRequested);
}

void SessionPanel::show(const AgentView& view)
{
    m_caption->setText(view.prepaid ? u"Tiempo restante"_s : u"Tiempo"_s);
    m_time->setText(view.time);
    m_amount->setText(u"Importe: "_s + view.amount);
    m_user->setText(view.user.isEmpty() ? QString() : u"Cuenta: "_s + view.user);
    m_user->setVisible(!view.user.isEmpty());
    m_logout->setVisible(!view.user.isEmpty());
    if (!isVisible()) {
        adjustSize();
        // The top right corner of the main monitor, out of the way.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().topRight() - QPoint(width() + 16, -16));
        QWidget::show();
    }
}

void SessionPanel::setCollapsed(bool collapsed)
{
    m_collapsed = collapsed;
    m_details->setVisible(!collapsed);
    m_fold->setText(collapsed ? u"+"_s : u"–"_s);
    adjustSize();
}

void SessionPanel::mousePressEvent(QMouseEvent* event)
{
    m_grip = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void SessionPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_grip);
}

} // namespace kestrel::agent
