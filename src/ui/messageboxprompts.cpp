#include "messageboxprompts.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {
const QString Title = u"Kestrel"_s;

QMessageBox::Icon boxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::None:
        break;
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}
} // namespace

bool MessageBoxPrompts::askYesNo(const QString& text)
{
    return QMessageBox::question(QApplication::activeWindow(), Title, text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void MessageBoxPrompts::tell(Icon icon, const QString& text)
{
    QMessageBox box(boxIcon(icon), Title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void MessageBoxPrompts::notify(Icon icon, const QString& text)
{
    if (m_shown.contains(text))
        return;
    auto* box =
        new QMessageBox(boxIcon(icon), Title, text, QMessageBox::Ok, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    m_shown.insert(text);
    QObject::connect(box, &QObject::destroyed, box, [this, text] { m_shown.remove(text); });
    box->show();
}

bool StandardErrorPrompts::askYesNo(const QString& text)
{
    std::fprintf(stderr, "%s [No]\n", qPrintable(text));
    return false;
}

void StandardErrorPrompts::tell(Icon, const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

bool isHeadlessPlatform()
{
    const QString platform = QGuiApplication::platformName();
    return platform == u"offscreen"_s || platform == u"minimal"_s;
}

} // namespace kestrel
