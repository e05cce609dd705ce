#include "ui/accounts/accountswindow.h"

#include "core/numbers.h"
#include "core/operatorsession.h"
#include "core/prompts.h"
#include "ui/common/widgets.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

enum Column { User, Time, Visit, Rate, Expiry };

// The grid's editable columns and the account field each one changes. The name is not editable:
// it ties the account to the sessions and journal rows made under it.
std::optional<Accounts::Field> fieldOf(int column)
{
    switch (column) {
    case Time:
        return Accounts::Field::Timeres;
    case Visit:
        return Accounts::Field::LastVisit;
    case Rate:
        return Accounts::Field::Rate;
    case Expiry:
        return Accounts::Field::Timecad;
    default:
        return std::nullopt;
    }
}

} // namespace

AccountsWindow::AccountsWindow(Accounts& accounts, const OperatorSession& session, Prompts& prompts,
                               QWidget* parent)
    : QDialog(parent), m_accounts(accounts), m_session(session), m_prompts(prompts)
{
    setObjectName(u"frmcuentas"_s);
    setWindowTitle(u"Cuentas"_s);

    m_search = new QLineEdit(this);
    m_search->setObjectName(u"txtbuscar"_s);
    auto* find = namedButton(this, u"Buscar"_s, u"cmdbuscar"_s);
    m_grid = new QTableWidget(0, 5, this);
    m_grid->setObjectName(u"grdcuentas"_s);
    m_grid->setHorizontalHeaderLabels(
        {u"Usuario"_s, u"Tiempo"_s, u"Ultima visita"_s, u"Valor/Hora"_s, u"Fecha de Caducidad"_s});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setColumnWidth(User, 180);
    m_grid->setColumnWidth(Visit, 110);

    QPushButton* refresh = namedButton(this, u"Actualizar"_s, u"cmdactualizar"_s);
    m_create = namedButton(this, u"Nueva cuenta"_s, u"cmdnueva"_s);
    m_credit = namedButton(this, u"Aumentar"_s, u"cmdaumentar"_s);
    QPushButton* details = namedButton(this, u"Detalles"_s, u"cmddetalles"_s);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(u"Buscar usuario:"_s, this));
    top->addWidget(m_search, 1);
    top->addWidget(find);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {refresh, m_create, m_credit, details})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    resize(760, 460);

    connect(find, &QPushButton::clicked, this, &AccountsWindow::search);
    connect(m_search, &QLineEdit::returnPressed, this, &AccountsWindow::search);
    connect(refresh, &QPushButton::clicked, this, &AccountsWindow::showAll);
    connect(m_create, &QPushButton::clicked, this, &AccountsWindow::createRequested);
    connect(m_credit, &QPushButton::clicked, this, [this] {
        if (const Account* a = current())
            emit creditRequested(a->user, formatAmount(a->rate));
    });
    connect(details, &QPushButton::clicked, this, &AccountsWindow::details);
    connect(m_grid, &QTableWidget::cellChanged, this, &AccountsWindow::cellEdited);
}

void AccountsWindow::showAll()
{
    applyRights();
    fill(m_accounts.all());
}

void AccountsWindow::search()
{
    fill(m_accounts.search(m_search->text()));
}

void AccountsWindow::applyRights()
{
    m_create->setEnabled(m_session.has(Right::CreateAccounts));
    m_credit->setEnabled(m_session.has(Right::IncrementAccounts));
    m_grid->setEditTriggers(m_session.has(Right::ModifyAccounts)
                                ? QAbstractItemView::DoubleClicked |
                                      QAbstractItemView::EditKeyPressed
                                : QAbstractItemView::NoEditTriggers);
}

void AccountsWindow::fill(const std::optional<std::vector<Account>>& accounts)
{
    if (!accounts)
        m_prompts.tell(Prompts::Icon::Critical, u"No se pudo leer la tabla de cuentas."_s);
    m_rows = accounts.value_or(std::vector<Account>{});
    m_filling = true;
    m_grid->setRowCount(int(m_rows.size()));
    for (int r = 0; r < int(m_rows.size()); ++r) {
        const Account& a = m_rows[std::size_t(r)];
        const QStringList cells{a.user, a.timeres, a.lastVisit, formatAmount(a.rate), a.timecad};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == User)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            if (c == Time || c == Rate)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_grid->setItem(r, c, item);
        }
    }
    if (!m_rows.empty())
        m_grid->setCurrentCell(0, 0);
    m_filling = false;
}

const Account* AccountsWindow::current() const
{
    const int row = m_grid->currentRow();
    return row >= 0 && row < int(m_rows.size()) ? &m_rows[std::size_t(row)] : nullptr;
}

void AccountsWindow::details()
{
    if (const Account* a = current())
        m_prompts.tell(Prompts::Icon::Information,
                       u"Usuario: "_s + a->user + u"\nContraseña: "_s + a->password);
}

void AccountsWindow::cellEdited(int row, int column)
{
    const std::optional<Accounts::Field> field = fieldOf(column);
    if (m_filling || !field || row >= int(m_rows.size()))
        return;
    const QString value = m_grid->item(row, column)->text().trimmed();
    m_accounts.edit(m_rows[std::size_t(row)].rowid, *field, value);
    // The grid shows what the store holds, whether the change was taken or refused; it is
    // re-read once the editor has let go of the cell.
    QMetaObject::invokeMethod(
        this,
        [this, row, column] {
            fill(m_search->text().isEmpty() ? m_accounts.all()
                                            : m_accounts.search(m_search->text()));
            if (row < m_grid->rowCount())
                m_grid->setCurrentCell(row, column);
        },
        Qt::QueuedConnection);
}

} // namespace kestrel
