#pragma once

#include <QWidget>

class QLineEdit;
class QTreeWidget;

namespace kestrel {

class MessageList;

// The console's "  Mensajes" panel: the messages list, the text box, "Enviar" and "Limpiar".
// A message row grows to show its text wrapped, up to MaxLines lines (the rest elided); the whole
// text kept by the list is in the row's tool tip.
class MessagesPanel final : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaxLines = 4;

    MessagesPanel(const MessageList& messages, QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }
    QLineEdit* textBox() const { return m_text; }

signals:
    // "Enviar" or Enter in the text box; the console sends the text and empties the box.
    void sendRequested(const QString& text);
    // "Limpiar": the console empties the list and the box.
    void clearRequested();

private:
    void showRow(int row);

    const MessageList& m_messages;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_text = nullptr;
};

} // namespace kestrel
