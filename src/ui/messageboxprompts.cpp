#include "messageboxprompts.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {
const QString Title = u"Kestrel"_s;
}

bool MessageBoxPrompts::askYesNo(const QString& text)
{
    return QMessageBox::question(QApplication::activeWindow(), Title, text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void MessageBoxPrompts::tell(Icon icon, const QString& text)
{
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::None:
        break;
    case Icon::Information:
        boxIcon = QMessageBox::Information;
        break;
    case Icon::Exclamation:
        boxIcon = QMessageBox::Warning;
        break;
    case Icon::Critical:
        boxIcon = QMessageBox::Critical;
        break;
    }
    QMessageBox box(boxIcon, Title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
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
