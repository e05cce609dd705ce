#include "ui/options/shortcutspage.h"

#include "core/prompts.h"
#include "core/virtualkeys.h"
#include "ui/common/widgets.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

KeyCaptureDialog::KeyCaptureDialog(KeyCapture& capture, QWidget* parent)
    : QDialog(parent), m_capture(capture)
{
    setObjectName(u"frmcombinar"_s);
    setWindowTitle(u"Presione la teclas"_s);
    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(this);
    m_label->setObjectName(u"lblteclas"_s);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setMinimumSize(220, 48);
    QFont big = m_label->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    m_label->setFont(big);
    layout->addWidget(m_label);
    auto* ok = new QPushButton(u"Aceptar"_s, this);
    ok->setObjectName(u"cmdaceptar"_s);
    // Keys belong to the capture, not to the button.
    ok->setFocusPolicy(Qt::NoFocus);
    ok->setAutoDefault(false);
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

bool KeyCaptureDialog::event(QEvent* event)
{
    // Every key that goes down is captured, Tab and Escape included, before the dialog's own
    // handling would move the focus or close it.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
            if (const int code = virtualKeyCode(key->key())) {
                m_capture.press(code);
                m_label->setText(m_capture.label());
            }
        }
        event->accept();
        return true;
    }
    return QDialog::event(event);
}

ShortcutsPage::ShortcutsPage(Shortcuts& shortcuts, KeyCapture& capture, Prompts& prompts,
                             const QString& operatorName, QWidget* parent)
    : QWidget(parent), m_shortcuts(shortcuts), m_capture(capture), m_prompts(prompts),
      m_operator(operatorName)
{
    m_choices = new QListWidget(this);
    m_choices->setObjectName(u"lstacciones"_s);
    for (const ShortcutChoice& c : shortcutChoices())
        m_choices->addItem(c.name);
    auto* actions = new QVBoxLayout;
    actions->addWidget(new QLabel(u"Acciones"_s, this));
    actions->addWidget(m_choices, 1);

    const struct {
        const char16_t* name;
        const char16_t* caption;
        void (ShortcutsPage::*slot)();
    } buttons[] = {
        {u"cmdagregar", u"Agregar", &ShortcutsPage::add},
        {u"cmdquitar", u"Quitar", &ShortcutsPage::remove},
        {u"cmdteclas", u"Teclas", nullptr},
        {u"cmdpredeterminada", u"Predeterminada", &ShortcutsPage::restoreDefaults},
    };
    auto* column = new QVBoxLayout;
    column->addSpacing(20);
    for (const auto& b : buttons) {
        QPushButton* button =
            namedButton(this, QString::fromUtf16(b.caption), QString::fromUtf16(b.name));
        if (b.slot)
            connect(button, &QPushButton::clicked, this, b.slot);
        else
            connect(button, &QPushButton::clicked, this, [this] { captureKeys(); });
        column->addWidget(button);
    }
    column->addStretch();

    m_list = rowList(this, u"lstteclas"_s, {u"Evento"_s, u"Telclas"_s});
    m_list->header()->resizeSection(0, 140);
    auto* combinations = new QVBoxLayout;
    combinations->addWidget(new QLabel(u"Combinaciones"_s, this));
    combinations->addWidget(m_list, 1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(actions, 2);
    layout->addLayout(column);
    layout->addLayout(combinations, 3);

    m_captureDialog = new KeyCaptureDialog(m_capture, this);
    reload();
}

void ShortcutsPage::reload()
{
    const std::optional<std::vector<Shortcut>> stored = m_shortcuts.of(m_operator);
    if (!stored)
        m_prompts.tell(Prompts::Icon::Critical,
                       u"No se pudieron leer las combinaciones de teclas: "_s +
                           m_shortcuts.lastError());
    show(stored.value_or(std::vector<Shortcut>{}));
}

void ShortcutsPage::show(const std::vector<Shortcut>& rows)
{
    m_rows = rows;
    m_list->clear();
    for (const Shortcut& s : m_rows)
        m_list->addTopLevelItem(new QTreeWidgetItem({s.event, s.combination}));
}

void ShortcutsPage::add()
{
    const int chosen = m_choices->currentRow();
    if (chosen < 0)
        return;
    const ShortcutChoice& c = shortcutChoices().at(std::size_t(chosen));
    m_rows.push_back({c.name, {}, u" "_s, QString::number(c.code)});
    auto* item = new QTreeWidgetItem({c.name, QString()});
    m_list->addTopLevelItem(item);
    m_list->setCurrentItem(item);
}

void ShortcutsPage::remove()
{
    const int row = chosenRow(m_list);
    if (row < 0)
        return;
    m_rows.erase(m_rows.begin() + row);
    delete m_list->takeTopLevelItem(row);
}

bool ShortcutsPage::captureKeys()
{
    m_captureDialog->label()->clear();
    if (m_captureDialog->exec() != QDialog::Accepted)
        return false;
    const int row = chosenRow(m_list);
    if (row < 0)
        return false;
    Shortcut& s = m_rows[std::size_t(row)];
    s.combination = m_captureDialog->label()->text();
    s.keyCodes = m_capture.codeText();
    m_list->topLevelItem(row)->setText(1, s.combination);
    return true;
}

void ShortcutsPage::restoreDefaults()
{
    if (m_prompts.askYesNo(u"Desea restaurar a la configuracion predeterminada?"_s))
        show(defaultShortcuts());
}

} // namespace kestrel
