#include "ui/common/aboutwindow.h"
#include "ui/common/widgets.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"frmabout"_s);
    setWindowTitle(u"Acerca de Kestrel"_s);

    QLabel* name = boldLabel(u"KESTREL"_s, this, 2.6);
    name->setAlignment(Qt::AlignCenter);

    auto* what = new QLabel(u"Consola del operador de cibercafé"_s, this);
    what->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(versionText(), this);
    version->setObjectName(u"lblversion"_s);
    version->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 30, 40, 30);
    layout->addWidget(name);
    layout->addWidget(what);
    layout->addSpacing(12);
    layout->addWidget(version);
}

QString AboutWindow::versionText()
{
    return u"Versión "_s + QStringLiteral(KESTREL_VERSION);
}

} // namespace kestrel
