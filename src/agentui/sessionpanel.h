#pragma once

#include "agent/agentcore.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace kestrel::agent {

// The small panel the customer sees while the session runs: above the other windows, movable by
// dragging, collapsible to one line. It shows the time (counting up, or what is left of a
// prepaid session), the amount and the account; an account session has "Cerrar sesión".
class SessionPanel final : public QWidget {
    Q_OBJECT
public:
    explicit SessionPanel(QWidget* parent = nullptr);

    void show(const AgentView& view);
    bool isCollapsed() const { return m_collapsed; }
    void setCollapsed(bool collapsed);

    QLabel* timeLabel() const { return m_time; }
    QLabel* amountLabel() const { return m_amount; }
    QLabel* userLabel() const { return m_user; }
    QPushButton* logoutButton() const { return m_logout; }

signals:
    void logoutRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QLabel* m_caption = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_amount = nullptr;
    QLabel* m_user = nullptr;
    QWidget* m_details = nullptr;
    QPushButton* m_fold = nullptr;
    QPushButton* m_logout = nullptr;
    bool m_collapsed = false;
    QPoint m_grip;
};

} // namespace kestrel::agent
