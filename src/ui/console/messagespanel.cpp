#include "ui/console/messagespanel.h"

#include "link/messagelist.h"
#include "ui/common/areacaption.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

constexpr int MessageColumn = 2;
constexpr int Margin = 3;

// The message column: the text wrapped to the column's width, at most MaxLines lines, the last
// one elided when the text goes on.
class WrappedTextDelegate final : public QStyledItemDelegate {
public:
    explicit WrappedTextDelegate(QTreeWidget* view) : QStyledItemDelegate(view), m_view(view) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int width = m_view->header()->sectionSize(index.column()) - 2 * Margin;
        const int lines = int(layoutLines(index.data().toString(), option.font, width).size());
        return {width, std::max(1, lines) * QFontMetrics(option.font).lineSpacing() + 2 * Margin};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        QStyledItemDelegate::paint(painter, background, index);

        const QRect area = option.rect.adjusted(Margin, Margin, -Margin, -Margin);
        const QStringList lines = layoutLines(index.data().toString(), option.font, area.width());
        const QFontMetrics metrics(option.font);
        painter->save();
        painter->setFont(option.font);
        painter->setPen(option.state.testFlag(QStyle::State_Selected)
                            ? option.palette.highlightedText().color()
                            : option.palette.text().color());
        int y = area.top();
        for (const QString& line : lines) {
            painter->drawText(QRect(area.left(), y, area.width(), metrics.lineSpacing()),
                              Qt::AlignLeft | Qt::AlignVCenter, line);
            y += metrics.lineSpacing();
        }
        painter->restore();
    }

private:
    static QStringList layoutLines(const QString& text, const QFont& font, int width)
    {
        QStringList lines;
        if (width <= 0 || text.isEmpty())
            return lines;
        QString flat = text;
        flat.replace(u'\n', QChar::LineSeparator);
        QTextLayout layout(flat, font);
        QTextOption wrap;
        wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(wrap);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            if (lines.size() == MessagesPanel::MaxLines - 1 &&
                line.textStart() + line.textLength() < flat.size()) {
                // The last line shown takes the rest of the text, elided.
                const QString rest = flat.mid(line.textStart()).replace(QChar::LineSeparator, u' ');
                lines << QFontMetrics(font).elidedText(rest, Qt::ElideRight, width);
                break;
            }
            lines << flat.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        return lines;
    }

    QTreeWidget* m_view;
};

} // namespace

MessagesPanel::MessagesPanel(const MessageList& messages, QWidget* parent)
    : QWidget(parent), m_messages(messages)
{
    setObjectName(u"panelmensajes"_s);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(u"lstmensajes"_s);
    m_list->setHeaderLabels({u"PC"_s, u"HORA"_s, u"MENSAJE"_s});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(false);
    m_list->setWordWrap(true);
    m_list->setColumnWidth(0, 70);
    m_list->setColumnWidth(1, 62); // "23:59:59"
    m_list->setItemDelegateForColumn(MessageColumn, new WrappedTextDelegate(m_list));
    // A wider column rewraps the messages.
    connect(m_list->header(), &QHeaderView::sectionResized, m_list, [this](int column) {
        if (column == MessageColumn)
            m_list->doItemsLayout();
    });

    m_text = new QLineEdit(this);
    m_text->setObjectName(u"txtmensaje"_s);
    auto* send = new QPushButton(u"Enviar"_s, this);
    send->setObjectName(u"cmdenviar"_s);
    auto* clear = new QPushButton(u"Limpiar"_s, this);
    clear->setObjectName(u"cmdlimpiarmensajes"_s);

    QLabel* caption = areaCaption(u"  Mensajes"_s, u"lblmensajes"_s, this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(send);
    buttons->addWidget(clear);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(caption);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_text);
    layout->addLayout(buttons);

    connect(send, &QPushButton::clicked, this, [this] { emit sendRequested(m_text->text()); });
    connect(m_text, &QLineEdit::returnPressed, this,
            [this] { emit sendRequested(m_text->text()); });
    connect(clear, &QPushButton::clicked, this, &MessagesPanel::clearRequested);
    connect(&messages, &MessageList::rowAdded, this, &MessagesPanel::showRow);
    connect(&messages, &MessageList::rowsDropped, this, [this](int count) {
        for (int i = 0; i < count && m_list->topLevelItemCount() > 0; ++i)
            delete m_list->takeTopLevelItem(0);
    });
    connect(&messages, &MessageList::cleared, m_list, &QTreeWidget::clear);
}

void MessagesPanel::showRow(int row)
{
    const MessageList::Row& r = m_messages.rows().at(row);
    auto* item = new QTreeWidgetItem(m_list, {r.pc, r.hora, r.mensaje});
    item->setToolTip(MessageColumn, r.mensaje);
    m_list->setCurrentItem(item);
}

} // namespace kestrel
