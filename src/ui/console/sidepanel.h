#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;
class QScrollBar;

namespace kestrel {

class MessageList;
class MessagesPanel;
class Prompts;
class RemoteCommands;
class WebBrowser;

// The console's side column (panellateral): the Internet search (panelbuscar), the messages
// (panelmensajes), the selected station's volume (panelvolumen) and the vendor's panel
// (panelpromo).
class SidePanel final : public QWidget {
    Q_OBJECT
public:
    struct Services {
        const MessageList& messages;
        RemoteCommands& commands;
        WebBrowser& browser;
        Prompts& prompts;
        std::function<int()> selectedStation;
    };

    explicit SidePanel(Services services, QWidget* parent = nullptr);

    // Shows the parts the display settings keep; the column itself goes when none is left.
    void showParts(bool search, bool messages, bool volume, bool promo);

private:
    // "Buscar": the search box's text in the browser.
    void search();

    Services m_services;
    QWidget* m_searchPanel = nullptr;
    QLineEdit* m_searchText = nullptr;
    MessagesPanel* m_messagesPanel = nullptr;
    QWidget* m_volumePanel = nullptr;
    QWidget* m_promo = nullptr;
};

} // namespace kestrel
