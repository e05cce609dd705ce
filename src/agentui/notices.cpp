#include "notices.h"

#include <QApplication>
#include <QDataStream>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTime>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::agent {

namespace {

constexpr Qt::WindowFlags AboveAll = Qt::Dialog | Qt::WindowStaysOnTopHint;

// Two short tones, as a WAV file the players read.
QByteArray warningTones()
{
    constexpr int Rate = 16000;
    QByteArray samples;
    QDataStream out(&samples, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (const double frequency : {880.0, 660.0, 880.0})
        for (int i = 0; i < Rate / 5; ++i)
            out << qint16(9000 * std::sin(2 * M_PI * frequency * i / Rate));
    QByteArray wav;
    QDataStream w(&wav, QIODevice::WriteOnly);
    w.setByteOrder(QDataStream::LittleEndian);
    w.writeRawData("RIFF", 4);
    w << quint32(36 + samples.size());
    w.writeRawData("WAVEfmt ", 8);
    w << quint32(16) << quint16(1) << quint16(1) << quint32(Rate) << quint32(Rate * 2) << quint16(2)
      << quint16(16);
    w.writeRawData("data", 4);
    w << quint32(samples.size());
    w.writeRawData(samples.constData(), int(samples.size()));
    return wav;
}

} // namespace

void playWarningSound()
{
    static const QString file = [] {
        const QString path =
            QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                .filePath(u"kestrel-agent-aviso-%1.wav"_s.arg(QCoreApplication::applicationPid()));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(warningTones());
        return path;
    }();
    for (const char16_t* player : {u"pw-play", u"paplay", u"aplay"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromUtf16(player));
        if (!found.isEmpty() && QProcess::startDetached(found, {file}))
            return;
    }
    QApplication::beep();
}

WarningWindow::WarningWindow(std::function<void()> sound, QWidget* parent)
    : QDialog(parent, AboveAll), m_sound(std::move(sound))
{
    setObjectName(u"frmaviso"_s);
    setWindowTitle(u"Aviso"_s);
    m_text = new QLabel(this);
    m_text->setObjectName(u"lblaviso"_s);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    QFont big = font();
    big.setPixelSize(26);
    big.setBold(true);
    m_text->setFont(big);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(u"&Aceptar"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    setStyleSheet(u"QDialog#frmaviso { background: #fff3cd; border: 3px solid #e0a800; }"_s);
    setMinimumSize(480, 200);
}

void WarningWindow::warn(const QString& timeLeft)
{
    m_text->setText(u"Su tiempo está por terminar"_s +
                    (timeLeft.isEmpty() ? QString() : u"\nLe queda "_s + timeLeft));
    show();
    raise();
    activateWindow();
    m_sound();
}

ChatWindow::ChatWindow(QWidget* parent) : QDialog(parent, AboveAll)
{
    setObjectName(u"frmchat"_s);
    setWindowTitle(u"Mensaje del encargado"_s);
    m_history = new QPlainTextEdit(this);
    m_history->setObjectName(u"txthistorial"_s);
    m_history->setReadOnly(true);
    m_answer = new QLineEdit(this);
    m_answer->setObjectName(u"txtrespuesta"_s);
    m_answer->setPlaceholderText(u"Escriba su respuesta"_s);
    m_send = new QPushButton(u"&Enviar"_s, this);
    m_send->setObjectName(u"cmdenviar"_s);
    auto* close = new QPushButton(u"&Cerrar"_s, this);
    auto* row = new QHBoxLayout;
    row->addWidget(m_answer, 1);
    row->addWidget(m_send);
    row->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_history, 1);
    layout->addLayout(row);
    resize(460, 300);
    connect(m_send, &QPushButton::clicked, this, &ChatWindow::send);
    connect(m_answer, &QLineEdit::returnPressed, this, &ChatWindow::send);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
}

void ChatWindow::receive(const QString& text, bool canAnswer)
{
    m_history->appendPlainText(QTime::currentTime().toString(u"HH:mm"_s) + u"  Encargado: "_s +
                               text);
    m_answer->setVisible(canAnswer);
    m_send->setVisible(canAnswer);
    show();
    raise();
    activateWindow();
}

void ChatWindow::send()
{
    const QString text = m_answer->text().trimmed();
    if (text.isEmpty())
        return;
    m_history->appendPlainText(QTime::currentTime().toString(u"HH:mm"_s) + u"  Usted: "_s + text);
    m_answer->clear();
    emit answered(text);
}

} // namespace kestrel::agent
