#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kestrel::agent {

// "SHOWF": the time is nearly over, in a window above everything in the middle of the screen,
// with a sound. It closes with "Aceptar" or by itself when the session ends.
class WarningWindow final : public QDialog {
    Q_OBJECT
public:
    // `sound` plays the warning's sound (playWarningSound unless told otherwise).
    explicit WarningWindow(std::function<void()> sound, QWidget* parent = nullptr);
    void warn(const QString& timeLeft);
    QLabel* textLabel() const { return m_text; }

private:
    std::function<void()> m_sound;
    QLabel* m_text;
};

// The operator's messages. "MSGBOX" is shown as a note; "MSGBOX2" opens the chat, where the
// customer may answer.
class ChatWindow final : public QDialog {
    Q_OBJECT
public:
    explicit ChatWindow(QWidget* parent = nullptr);
    void receive(const QString& text, bool canAnswer);

    QPlainTextEdit* history() const { return m_history; }
    QLineEdit* answerBox() const { return m_answer; }
    QPushButton* sendButton() const { return m_send; }

signals:
    void answered(const QString& text);

private:
    void send();

    QPlainTextEdit* m_history;
    QLineEdit* m_answer;
    QPushButton* m_send;
};

// A short sound that cannot be missed: through the sound server's own player, or the bell.
void playWarningSound();

} // namespace kestrel::agent
