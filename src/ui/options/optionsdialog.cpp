#include "ui/options/optionsdialog.h"

#include "config/archive.h"
#include "core/operatorsession.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "operators/shortcuts.h"
#include "stations/stationtable.h"
#include "ui/common/numerickeyfilter.h"
#include "ui/options/printerspage.h"
#include "ui/options/shortcutspage.h"
#include "ui/options/stationspage.h"
#include "ui/options/tariffpages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

const QString Note = u"Nota: Para aplicar cualquier cambio cierre Kestrel y vuelvalo a abrir"_s;

const char16_t* const DisplayCaptions[GeneralPreferences::DisplayCount] = {
    u"Mostrar ChatBox",
    u"Mostrar Control de Volumen",
    u"Mostrar Registro de Operaciones (Servicios/Impresiones)",
    u"Mostrar Caja de Busqueda",
    u"Mostrar SubTotal",
    u"Mostrar Boton Cobrar",
    u"Mostrar Boton Modo",
    u"Mostrar Boton Vender",
    u"Mostrar Boton Configuracion",
    u"Mostrar Usuario",
    u"Mostrar Cuadro de Links",
    u"Mostrar Registro de todos los usuarios",
};

QComboBox* editableCombo(QWidget* parent, const QString& name, const QStringList& items)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    return combo;
}

QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

OptionsDialog::OptionsDialog(OptionsServices services, QWidget* parent)
    : QDialog(parent), m_services(std::move(services))
{
    setObjectName(u"frmoptions"_s);
    setWindowTitle(u"Configuracion"_s);
    resize(820, 560);

    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(u"Configuracion General"_s, this);
    heading->setObjectName(u"lblheading"_s);
    QFont headingFont = heading->font();
    headingFont.setPointSize(headingFont.pointSize() + 4);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    layout->addWidget(heading);

    auto* body = new QHBoxLayout;
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(u"TreeView1"_s);
    m_tree->setHeaderHidden(true);
    m_tree->setFixedWidth(170);
    body->addWidget(m_tree);
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(u"paginas"_s);
    body->addWidget(m_pages, 1);
    layout->addLayout(body, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_apply = new QPushButton(u"Aplicar"_s, this);
    m_apply->setObjectName(u"cmdaplicar"_s);
    auto* close = new QPushButton(u"Cerrar"_s, this);
    close->setObjectName(u"cmdcerrar"_s);
    buttons->addWidget(m_apply);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_apply, &QPushButton::clicked, this, &OptionsDialog::apply);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    // The pages, in the order of their pages' indices.
    addPage(General, u"Configuracion general"_s, buildGeneralPage());
    addPage(Tarifas, u"Tarifas"_s, buildTariffsPage());
    addPage(
        Estandar, u"Tarifas Simples"_s,
        new StandardTariffsPage(m_services.tariffs, m_services.prompts, m_services.currencySymbol));
    addPage(Compuestas, u"Tarifas compuestas"_s,
            new CompoundTariffsPage(m_services.tariffs, m_services.prompts));
    addPage(Puestos, u"Puestos"_s, new StationsPage(m_services.stationAdmin, m_services.prompts));
    addPage(Bloqueo, u"Configuracion"_s, buildLockPage());
    addPage(VisualizacionPage, u"Visualizacion"_s, buildDisplayPage());
    addPage(Impresiones, u"Impresiones"_s,
            new PrintersPage(m_services.printers, m_services.prompts));
    m_shortcutsPage = new ShortcutsPage(m_services.shortcuts, m_services.capture,
                                        m_services.prompts, m_services.session.name());
    addPage(Teclado, u"Combinacion de Teclas"_s, m_shortcutsPage);
    addPage(Predefinidas, u"TARIFAS PREDEFINIDAS"_s,
            new PredefinedTariffsPage(m_services.tariffs, m_services.prompts,
                                      m_services.currencySymbol));

    // The navigation tree: each node brings its page to the front.
    const auto node = [this](QTreeWidgetItem* parentNode, const QString& caption, Page page) {
        auto* item = parentNode ? new QTreeWidgetItem(parentNode, {caption})
                                : new QTreeWidgetItem(m_tree, {caption});
        item->setData(0, Qt::UserRole, int(page));
        return item;
    };
    node(nullptr, u"General"_s, General);
    QTreeWidgetItem* tarifas = node(nullptr, u"Tarifas"_s, Tarifas);
    node(tarifas, u"Estandar"_s, Estandar);
    node(tarifas, u"Compuestas"_s, Compuestas);
    QTreeWidgetItem* puestos = node(nullptr, u"Puestos"_s, Puestos);
    node(puestos, u"Configuracion"_s, Bloqueo);
    node(nullptr, u"Visualizacion"_s, VisualizacionPage);
    node(nullptr, u"Impresiones"_s, Impresiones);
    node(nullptr, u"Teclado"_s, Teclado);
    m_tree->expandAll();
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            m_pages->setCurrentIndex(item->data(0, Qt::UserRole).toInt());
    });

    showPage(General);
    showPreferences(GeneralPreferences::load(m_services.settings));
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::addPage(Page page, const QString& caption, QWidget* content)
{
    Q_ASSERT(m_pages->count() == int(page));
    auto* frame = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(frame);
    auto* title = new QLabel(caption, frame);
    title->setObjectName(u"lblpagina"_s);
    QFont font = title->font();
    font.setPointSize(font.pointSize() + 2);
    font.setBold(true);
    title->setFont(font);
    layout->addWidget(title);
    if (content) {
        content->setParent(frame);
        layout->addWidget(content, 1);
    } else {
        layout->addStretch(1);
    }
    auto* note = new QLabel(Note, frame);
    note->setObjectName(u"lblnota"_s);
    note->setWordWrap(true);
    layout->addWidget(note);
    m_pages->addWidget(frame);
}

QWidget* OptionsDialog::buildGeneralPage()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    m_interval = editableCombo(page, u"cmbintervalo"_s,
                               {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s,
                                u"9"_s, u"10"_s, u"20"_s, u"30"_s, u"60"_s});
    form->addRow(u"Intervalo de actualizacion a puestos  (seg)"_s, m_interval);
    m_restoreCounters =
        checkBox(page, u"chkrestore"_s, u"Despues de bloquear limpiar tarifas (Subtotal/Total)"_s);
    form->addRow(m_restoreCounters);
    m_roundTariffs = checkBox(page, u"chkredondeo"_s, u"Redondeo de tarifas"_s);
    form->addRow(m_roundTariffs);
    m_tax = new QLineEdit(page);
    m_tax->setObjectName(u"txtimpuesto"_s);
    m_tax->setMaximumWidth(90);
    NumericKeyFilter::install(m_tax);
    form->addRow(u"Impuesto IVA (%)"_s, m_tax);
    auto* alertRow = new QHBoxLayout;
    m_endAlert = checkBox(page, u"chkalerta"_s, u"Alerta de Fin de tiempo (min)"_s);
    m_endMinutes = editableCombo(page, u"cmbminutos"_s,
                                 {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"10"_s, u"15"_s});
    alertRow->addWidget(m_endAlert);
    alertRow->addWidget(m_endMinutes);
    alertRow->addStretch();
    form->addRow(alertRow);
    m_clickToStart = checkBox(page, u"chkesperar"_s, u"Puestos: Siempre esperar para Empezar"_s);
    form->addRow(m_clickToStart);
    m_askBeforeLock = checkBox(page, u"chkpreguntar"_s, u"Preguntar antes de Bloquear"_s);
    form->addRow(m_askBeforeLock);
    m_currency =
        editableCombo(page, u"cmbmoneda"_s,
                      {u"$"_s, u"Bs.F"_s, u"S/."_s, u"$"_s, u"€"_s, u"Bs.F."_s, u"S/."_s, u"Bs"_s});
    form->addRow(u"Simbolo de Moneda"_s, m_currency);
    auto* archive = new QPushButton(u"Nueva Base de datos"_s, page);
    archive->setObjectName(u"cmdnuevabd"_s);
    archive->setToolTip(u"Guarda una copia de la base de datos de hoy y vacía los informes"_s);
    connect(archive, &QPushButton::clicked, this, &OptionsDialog::newDatabase);
    auto* archiveRow = new QHBoxLayout;
    archiveRow->addWidget(archive);
    archiveRow->addStretch();
    form->addRow(archiveRow);
    for (QComboBox* combo : {m_interval, m_currency})
        combo->setMaximumWidth(110);

    for (QComboBox* combo : {m_interval, m_endMinutes})
        connect(combo, &QComboBox::editTextChanged, this, [this] { m_apply->setEnabled(true); });
    return page;
}

QWidget* OptionsDialog::buildTariffsPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    for (const QString& text :
         {u"Tarifas Estandar: Tarifas a cobrars por hora, se establece el valor por hora y el "
          u"valor min o de inicio."_s,
          u"Tarifas Compuestas: Se establece el valor a cobrar por cada intervalo de tiempo."_s}) {
        auto* label = new QLabel(text, page);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    // The predefined packages have no node of their own: they are one click from here.
    auto* predefined = new QPushButton(u"Tarifas Predefinidas…"_s, page);
    predefined->setObjectName(u"cmdpredefinidas"_s);
    connect(predefined, &QPushButton::clicked, this, [this] { showPage(Predefinidas); });
    layout->addWidget(predefined, 0, Qt::AlignLeft);
    layout->addStretch();
    return page;
}

QWidget* OptionsDialog::buildLockPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(u"Opciones de Bloqueo"_s, page);
    auto* options = new QVBoxLayout(group);
    auto* buttons = new QButtonGroup(group);
    const char16_t* const captions[] = {u"SOLO BLOQUEAR EQUIPO", u"CERRAR TODOS LOS PROGRAMAS",
                                        u"CERRAR SESION", u"REINICIAR", u"APAGAR EQUIPO"};
    for (int i = 0; i < 5; ++i) {
        auto* option = new QRadioButton(QString::fromUtf16(captions[i]), group);
        option->setObjectName(u"optbloqueo"_s + QString::number(i));
        buttons->addButton(option, i);
        options->addWidget(option);
    }
    connect(buttons, &QButtonGroup::idClicked, this, [this](int id) { m_lockAction = id; });
    m_startWithSystem = checkBox(group, u"chkarranque"_s, u"INCIAR EN EL ARRANQUE"_s);
    m_lockWithoutServer =
        checkBox(group, u"chksinserver"_s, u"BLOQUEAR CUANDO NO CONECTE CON SERVER"_s);
    options->addWidget(m_startWithSystem);
    options->addWidget(m_lockWithoutServer);
    layout->addWidget(group);
    auto* send = new QPushButton(u"Aplicar a todos los puestos"_s, page);
    send->setObjectName(u"cmdaplicartodos"_s);
    connect(send, &QPushButton::clicked, this, &OptionsDialog::sendLockOptions);
    layout->addWidget(send, 0, Qt::AlignLeft);
    layout->addStretch();
    return page;
}

QWidget* OptionsDialog::buildDisplayPage()
{
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* stations = new QGroupBox(u"Lista de Puestos"_s, page);
    auto* toolbar = new QGroupBox(u"Barra de Botones"_s, page);
    auto* left = new QVBoxLayout(stations);
    auto* right = new QVBoxLayout(toolbar);
    for (int i = 0; i < GeneralPreferences::DisplayCount; ++i) {
        // The toolbar's buttons in their group, the list and its panels in the other.
        const bool button = i >= 5 && i <= 8;
        QGroupBox* group = button ? toolbar : stations;
        m_display[std::size_t(i)] = checkBox(group, u"chkvisual"_s + QString::number(i),
                                             QString::fromUtf16(DisplayCaptions[i]));
        (button ? right : left)->addWidget(m_display[std::size_t(i)]);
    }
    left->addStretch();
    right->addStretch();
    layout->addWidget(stations, 3);
    layout->addWidget(toolbar, 2);
    return page;
}

void OptionsDialog::showPage(Page page)
{
    m_pages->setCurrentIndex(int(page));
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == int(page)) {
            m_tree->setCurrentItem(*it);
            return;
        }
    }
    m_tree->setCurrentItem(nullptr);
}

OptionsDialog::Page OptionsDialog::currentPage() const
{
    return Page(m_pages->currentIndex());
}

GeneralPreferences OptionsDialog::preferences() const
{
    GeneralPreferences p;
    p.pingInterval = m_interval->currentText();
    p.restoreCounters = m_restoreCounters->isChecked();
    p.askBeforeLock = m_askBeforeLock->isChecked();
    p.currency = m_currency->currentText();
    p.endAlert = m_endAlert->isChecked();
    p.endAlertMinutes = m_endMinutes->currentText();
    p.roundTariffs = m_roundTariffs->isChecked();
    p.tax = m_tax->text();
    p.clickToStart = m_clickToStart->isChecked();
    for (int i = 0; i < GeneralPreferences::DisplayCount; ++i)
        p.display[std::size_t(i)] = m_display[std::size_t(i)]->isChecked();
    return p;
}

void OptionsDialog::showPreferences(const GeneralPreferences& p)
{
    m_interval->setEditText(p.pingInterval);
    m_restoreCounters->setChecked(p.restoreCounters);
    m_askBeforeLock->setChecked(p.askBeforeLock);
    m_currency->setEditText(p.currency);
    m_endAlert->setChecked(p.endAlert);
    m_endMinutes->setEditText(p.endAlertMinutes);
    m_roundTariffs->setChecked(p.roundTariffs);
    m_tax->setText(p.tax);
    m_clickToStart->setChecked(p.clickToStart);
    for (int i = 0; i < GeneralPreferences::DisplayCount; ++i)
        m_display[std::size_t(i)]->setChecked(p.display[std::size_t(i)]);
}

LockOptions OptionsDialog::lockOptions() const
{
    return {m_lockAction, m_startWithSystem->isChecked(), m_lockWithoutServer->isChecked()};
}

bool OptionsDialog::apply()
{
    preferences().apply(m_services.settings, [this](int ms) { emit intervalChanged(ms); });
    const QString settingsError = m_services.settings.writeError();
    if (!settingsError.isEmpty())
        m_services.prompts.tell(Prompts::Icon::Critical, settingsError);
    emit applied();
    if (!m_services.shortcuts.save(m_services.session.name(), m_shortcutsPage->rows()))
        return false;
    emit shortcutsSaved();
    accept();
    return true;
}

void OptionsDialog::sendLockOptions()
{
    lockOptions().send(m_services.link, m_services.stations.count());
}

void OptionsDialog::newDatabase()
{
    if (m_services.archive.run().outcome == Archive::Outcome::Done)
        emit archived();
}

void OptionsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        showPreferences(GeneralPreferences::load(m_services.settings));
}

} // namespace kestrel
