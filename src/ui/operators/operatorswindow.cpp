#include "ui/operators/operatorswindow.h"
#include "ui/common/widgets.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// The boxes' captions, in the order of the rights.
const char16_t* const RightCaptions[RightCount] = {
    u"Configuracion General", u"Crear Cuentas",        u"Modificar Cuentas", u"Acreditar Cuentas",
    u"Ver informes",          u"Modificar Operadores", u"Chat con server",   u"Modificar Articulos",
};

} // namespace

OperatorsWindow::OperatorsWindow(OperatorAdmin::Services services, QWidget* parent)
    : QDialog(parent), m_admin(std::move(services))
{
    setObjectName(u"frmoperador"_s);
    setWindowTitle(u"Operadores"_s);

    QLabel* heading = boldLabel(u"Administrar Operadores"_s, this, 1.4);

    m_grid = new QTableWidget(0, 1, this);
    m_grid->setObjectName(u"grdoperadores"_s);
    m_grid->setHorizontalHeaderLabels({u"Usuario"_s});
    readOnlyRows(m_grid);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);

    m_user = new QLineEdit(this);
    m_user->setObjectName(u"txtusuario"_s);
    m_password = new QLineEdit(this);
    m_password->setObjectName(u"txtpassword"_s);
    // Shown while typed, so the administrator sees what is saved; hidden while browsing.
    m_password->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    auto* fields = new QFormLayout;
    fields->addRow(u"Usuario"_s, m_user);
    fields->addRow(u"Contraseña"_s, m_password);

    auto* rights = new QGroupBox(u"Permisos"_s, this);
    rights->setObjectName(u"framepermisos"_s);
    auto* boxes = new QGridLayout(rights);
    for (int i = 0; i < RightCount; ++i) {
        auto* box = new QCheckBox(QString::fromUtf16(RightCaptions[i]), rights);
        box->setObjectName(u"chk"_s + rightColumn(Right(i)));
        boxes->addWidget(box, i % 4, i / 4);
        m_rights[std::size_t(i)] = box;
        connect(box, &QCheckBox::clicked, this, [this, i](bool checked) {
            m_admin.clickRight(Right(i), checked);
            showState();
        });
    }

    m_new = namedButton(this, u"Nuevo"_s, u"cmdnuevo"_s);
    m_save = namedButton(this, u"Guardar"_s, u"cmdguardar"_s);
    m_modify = namedButton(this, u"Modificar"_s, u"cmdmodificar"_s);
    m_all = namedButton(this, u"Todos"_s, u"cmdtodos"_s);
    m_remove = namedButton(this, u"Eliminar"_s, u"cmdeliminar"_s);
    m_cancel = namedButton(this, u"Cancelar"_s, u"cmdcancelar"_s);
    QPushButton* close = namedButton(this, u"&Cerrar"_s, u"cmdcerrar"_s);

    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addWidget(rights);
    right->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_grid, 2);
    middle->addLayout(right, 3);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_new, m_save, m_modify, m_all, m_remove, m_cancel, close})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(640, 380);

    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (m_filling)
            return;
        m_admin.selectRow(row);
        showState();
    });
    connect(m_user, &QLineEdit::textEdited, this, [this](const QString& t) { m_admin.setName(t); });
    connect(m_password, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_admin.setPassword(t); });
    connect(m_user, &QLineEdit::returnPressed, m_password, [this] { m_password->setFocus(); });
    connect(m_new, &QPushButton::clicked, this, [this] {
        const OperatorAdmin::Field field = m_admin.startNew();
        showState();
        focus(field);
    });
    connect(m_modify, &QPushButton::clicked, this, [this] {
        const std::optional<OperatorAdmin::Field> field = m_admin.startModify();
        showState();
        if (field)
            focus(*field);
    });
    connect(m_all, &QPushButton::clicked, this, [this] {
        m_admin.invertRights();
        showState();
    });
    connect(m_save, &QPushButton::clicked, this, [this] {
        if (m_admin.save())
            fillGrid();
        showState();
    });
    connect(m_remove, &QPushButton::clicked, this, [this] {
        if (m_admin.remove())
            fillGrid();
        showState();
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_admin.cancel();
        showState();
    });
    connect(close, &QPushButton::clicked, this, &OperatorsWindow::reject);
}

void OperatorsWindow::showAll()
{
    m_admin.load();
    fillGrid();
    showState();
}

void OperatorsWindow::reject()
{
    m_admin.cancel();
    showState();
    QDialog::reject();
}

void OperatorsWindow::fillGrid()
{
    m_filling = true;
    const std::vector<OperatorRow>& rows = m_admin.rows();
    m_grid->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        m_grid->setItem(r, 0, new QTableWidgetItem(rows[std::size_t(r)].record.name));
    m_filling = false;
}

// Every widget shows the core's state: the fields, the boxes, the grid's row and what is enabled.
void OperatorsWindow::showState()
{
    const bool browsing = m_admin.mode() == OperatorAdmin::Mode::Browse;
    const OperatorRecord& form = m_admin.form();
    m_filling = true;
    if (m_admin.currentRow() >= 0)
        m_grid->setCurrentCell(m_admin.currentRow(), 0);
    m_filling = false;
    m_user->setText(form.name);
    m_password->setText(form.password);
    for (int i = 0; i < RightCount; ++i) {
        m_rights[std::size_t(i)]->setChecked(form.rights[std::size_t(i)]);
        m_rights[std::size_t(i)]->setEnabled(m_admin.unlocked());
    }
    m_all->setEnabled(m_admin.unlocked());
    m_user->setEnabled(m_admin.unlocked());
    for (QWidget* w : std::initializer_list<QWidget*>{m_new, m_modify, m_remove, m_grid})
        w->setEnabled(browsing);
    m_save->setEnabled(!browsing);
    m_cancel->setEnabled(!browsing);
}

void OperatorsWindow::focus(OperatorAdmin::Field field)
{
    (field == OperatorAdmin::Field::Name ? m_user : m_password)->setFocus();
}

} // namespace kestrel
