#include "ui/console/sidepanel.h"

#include "core/prompts.h"
#include "core/webbrowser.h"
#include "link/remotecommands.h"
#include "ui/common/areacaption.h"
#include "ui/console/messagespanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

SidePanel::SidePanel(Services services, QWidget* parent)
    : QWidget(parent), m_services(std::move(services))
{
    setObjectName(u"panellateral"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 4, 4);
    layout->setSpacing(6);

    m_searchPanel = new QWidget(this);
    m_searchPanel->setObjectName(u"panelbuscar"_s);
    auto* searchLayout = new QVBoxLayout(m_searchPanel);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    searchLayout->setSpacing(3);
    searchLayout->addWidget(areaCaption(u"Buscar en Internet"_s, u"lblbuscar"_s, m_searchPanel));
    auto* searchRow = new QHBoxLayout;
    m_searchText = new QLineEdit(m_searchPanel);
    m_searchText->setObjectName(u"txtbuscar"_s);
    auto* searchButton = new QPushButton(u"Buscar"_s, m_searchPanel);
    searchButton->setObjectName(u"cmdbuscar"_s);
    searchRow->addWidget(m_searchText, 1);
    searchRow->addWidget(searchButton);
    searchLayout->addLayout(searchRow);
    layout->addWidget(m_searchPanel);
    connect(searchButton, &QPushButton::clicked, this, &SidePanel::search);
    connect(m_searchText, &QLineEdit::returnPressed, this, &SidePanel::search);

    m_messagesPanel = new MessagesPanel(m_services.messages, this);
    layout->addWidget(m_messagesPanel, 1);
    connect(m_messagesPanel, &MessagesPanel::sendRequested, this, [this](const QString& text) {
        if (m_services.commands.chat(m_services.selectedStation(), text))
            m_messagesPanel->textBox()->clear();
    });
    connect(m_messagesPanel, &MessagesPanel::clearRequested, this, [this] {
        m_services.commands.clearMessages();
        m_messagesPanel->textBox()->clear();
    });

    m_volumePanel = new QWidget(this);
    m_volumePanel->setObjectName(u"panelvolumen"_s);
    auto* volumeLayout = new QVBoxLayout(m_volumePanel);
    volumeLayout->setContentsMargins(0, 0, 0, 0);
    volumeLayout->addWidget(areaCaption(u"  Volumen"_s, u"lblvolumen"_s, m_volumePanel));
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(u"Min"_s, m_volumePanel));
    auto* volume = new QScrollBar(Qt::Horizontal, m_volumePanel);
    volume->setObjectName(u"volumen"_s);
    volume->setRange(0, 100);
    volume->setPageStep(10);
    bar->addWidget(volume, 1);
    bar->addWidget(new QLabel(u"Max"_s, m_volumePanel));
    volumeLayout->addLayout(bar);
    layout->addWidget(m_volumePanel);
    connect(volume, &QScrollBar::valueChanged, this, [this](int value) {
        m_services.commands.setVolume(m_services.selectedStation(), value);
    });

    // The vendor's panel: the program's name and where to find help.
    auto* promo = new QLabel(this);
    promo->setObjectName(u"panelpromo"_s);
    promo->setAlignment(Qt::AlignCenter);
    promo->setWordWrap(true);
    promo->setText(u"<b>Kestrel</b><br>Control de cibercafé"_s);
    promo->setStyleSheet(u"QLabel { background: #eef2f7; color: #2b4f7a; border: 1px solid "
                         u"#c5d0dd; padding: 6px; }"_s);
    layout->addWidget(promo);
    m_promo = promo;
    layout->addStretch(0); // room below the panels while the messages are hidden
}

void SidePanel::showParts(bool search, bool messages, bool volume, bool promo)
{
    m_messagesPanel->setVisible(messages);
    m_volumePanel->setVisible(volume);
    m_searchPanel->setVisible(search);
    m_promo->setVisible(promo);
    // With every part hidden the column goes too, leaving no empty grey area.
    setVisible(messages || volume || search || promo);
}

void SidePanel::search()
{
    if (!m_services.browser.open(searchAddress(m_searchText->text())))
        m_services.prompts.tell(Prompts::Icon::Exclamation,
                                u"No se pudo abrir el navegador de Internet."_s);
}

} // namespace kestrel
