#pragma once

#include "agent/agentcore.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace kestrel::agent {

// The lock screen of one monitor, full screen and above everything. The main one carries the
// café's and the station's names, the clock, and either the account login (a free station) or
// the start button (a session waiting for the customer); the others cover their monitors with the
// café's name and the clock.
class LockScreen final : public QWidget {
    Q_OBJECT
public:
    explicit LockScreen(bool main, QWidget* parent = nullptr);

    void show(const AgentView& view);
    // A normal window instead of the whole screen (to try the agent beside the console).
    void setWindowed();
    // The clock's text ("14:05").
    void setClock(const QString& text);
    void clearLogin();

    QLineEdit* userBox() const { return m_user; }
    QLineEdit* passwordBox() const { return m_password; }
    QPushButton* loginButton() const { return m_login; }
    QPushButton* startButton() const { return m_start; }
    QLabel* refusalLabel() const { return m_refusal; }
    QLabel* noticeLabel() const { return m_notice; }

signals:
    void loginRequested(const QString& user, const QString& password);
    void startRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void login();

    bool m_main;
    bool m_windowed = false;
    QLabel* m_cafe = nullptr;
    QLabel* m_station = nullptr;
    QLabel* m_clock = nullptr;
    QLabel* m_notice = nullptr;
    QStackedWidget* m_modes = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_login = nullptr;
    QLabel* m_refusal = nullptr;
    QPushButton* m_start = nullptr;
};

} // namespace kestrel::agent
