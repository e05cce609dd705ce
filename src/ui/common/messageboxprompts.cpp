#include "ui/common/messageboxprompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <cstdio>
#include <memory>

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

void speakSpanish(QMessageBox& box)
{
    // Qt's Spanish translation says the same; this holds where it is not installed. The
    // underlined letter answers the box from the keyboard: S for Sí, N for No.
    const struct {
        QMessageBox::StandardButton button;
        const char16_t* text;
    } texts[] = {{QMessageBox::Yes, u"&Sí"},
                 {QMessageBox::No, u"&No"},
                 {QMessageBox::Ok, u"&Aceptar"},
                 {QMessageBox::Cancel, u"&Cancelar"}};
    for (const auto& t : texts) {
        if (QAbstractButton* b = box.button(t.button))
            b->setText(QString::fromUtf16(t.text));
    }
}

bool installSpanishTranslation()
{
    static QTranslator qtSpanish;
    if (!qtSpanish.load(u"qtbase_es"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&qtSpanish);
}

namespace {

QMessageBox* newBox(Prompts::Icon icon, const QString& text, QMessageBox::StandardButtons buttons)
{
    auto* box = new QMessageBox(boxIcon(icon), Title, text, buttons, QApplication::activeWindow());
    speakSpanish(*box);
    return box;
}

} // namespace

bool MessageBoxPrompts::askYesNo(const QString& text)
{
    std::unique_ptr<QMessageBox> box(newBox(Icon::None, text, QMessageBox::Yes | QMessageBox::No));
    box->setIcon(QMessageBox::Question);
    box->setDefaultButton(QMessageBox::No);
    return box->exec() == QMessageBox::Yes;
}

void MessageBoxPrompts::tell(Icon icon, const QString& text)
{
    std::unique_ptr<QMessageBox> box(newBox(icon, text, QMessageBox::Ok));
    box->exec();
}

void MessageBoxPrompts::notify(Icon icon, const QString& text)
{
    if (m_shown.contains(text))
        return;
    QMessageBox* box = newBox(icon, text, QMessageBox::Ok);
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
