#include "link/linksender.h"
#include "link/wire.h"
#include "operators/operatorsession.h"
#include "stations/station.h"
#include "support/testsupport.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

class WireTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinCafeLocale(); }

    void outgoingBytes_data();
    void outgoingBytes();
    void statusMessage_data();
    void statusMessage();
    void lockOptions_data();
    void lockOptions();
    void chatKeywordFollowsTheChatRight_data();
    void chatKeywordFollowsTheChatRight();
    void closedConnectionGetsNothing();
    void split_data();
    void split();
    void codePage_data();
    void codePage();
    void everyByteSurvivesTheRoundTrip();
};

void WireTest::outgoingBytes_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("name answer") << u"GETNAMEX"_s << u"PC01"_s
                                 << QByteArray("GETNAMEX#LVX#PC01#LVXF#");
    QTest::newRow("no credit") << u"MSGBOX3"_s << u"Cuenta sin credito..."_s
                               << QByteArray("MSGBOX3#LVX#Cuenta sin credito...#LVXF#");
    QTest::newRow("wrong password, n with tilde is one byte")
        << u"MSGBOX3"_s << u"Usuario/Contraseña INCORRECTA"_s
        << QByteArray("MSGBOX3#LVX#Usuario/Contrase\xF1"
                      "a INCORRECTA#LVXF#");
    QTest::newRow("warning") << u"SHOWF"_s << u"SHOWF"_s << QByteArray("SHOWF#LVX#SHOWF#LVXF#");
    QTest::newRow("finish") << u"FINISHT"_s << u"DOTHEM"_s
                            << QByteArray("FINISHT#LVX#DOTHEM#LVXF#");
    QTest::newRow("volume") << u"SETVOL"_s << u"40"_s << QByteArray("SETVOL#LVX#40#LVXF#");
    for (const char* command : {"5", "6", "7", "8", "9"})
        QTest::addRow("command %s", command)
            << QString::fromLatin1(command) << QString::fromLatin1(command)
            << QByteArray(command) + "#LVX#" + command + "#LVXF#";
    QTest::newRow("empty payload") << u"MSGBOX"_s << QString() << QByteArray("MSGBOX#LVX##LVXF#");
}

void WireTest::outgoingBytes()
{
    QFETCH(QString, keyword);
    QFETCH(QString, payload);
    QFETCH(QByteArray, bytes);
    test::RecordingConnections connections;
    OperatorSession session;
    LinkSender sender(connections, session);

    sender.SENDGEN(3, keyword, payload);

    QCOMPARE(connections.sent.size(), 1);
    QCOMPARE(connections.sent[0].index, 3);
    QCOMPARE(connections.sent[0].bytes, bytes);
}

void WireTest::statusMessage_data()
{
    QTest::addColumn<Station>("station");
    QTest::addColumn<QByteArray>("bytes");

    Station counting;
    counting.LSTCLWA = u"1"_s;
    counting.tiempo = u"0:01:05"_s;
    counting.sub = u"0,25"_s;
    counting.LSTIPS = u"192.168.0.13"_s;
    QTest::newRow("counter session")
        << counting
        << QByteArray("SENDSTAT#LVX#1#LVX#0:01:05#LVX#$ 0,25#LVX#192.168.0.13#LVX##LVXF#");

    Station free;
    free.tiempo = u"0:00:00"_s;
    free.sub = u"0,00"_s;
    free.LSTIPS = u"10.0.0.5"_s;
    QTest::newRow("free station")
        << free << QByteArray("SENDSTAT#LVX##LVX#0:00:00#LVX#$ 0,00#LVX#10.0.0.5#LVX##LVXF#");

    Station account = counting;
    account.LSTCLWA = u"3"_s;
    account.usuario = u"Peña"_s;
    account.LSTIPS = u"127.0.0.2:7000"_s;
    QTest::newRow("account session")
        << account
        << QByteArray("SENDSTAT#LVX#3#LVX#0:01:05#LVX#$ 0,25#LVX#127.0.0.2:7000#LVX#Pe\xF1"
                      "a#LVXF#");
}

void WireTest::statusMessage()
{
    QFETCH(Station, station);
    QFETCH(QByteArray, bytes);
    test::RecordingConnections connections;
    OperatorSession session;
    LinkSender sender(connections, session);

    sender.send(0, u"SENDSTAT"_s, LinkSender::statusFields(station, u"$"_s));

    QCOMPARE(connections.sent.size(), 1);
    QCOMPARE(connections.sent[0].bytes, bytes);
}

void WireTest::lockOptions_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lock only, nothing checked")
        << QStringList{u"0"_s, u"0"_s, u"0"_s} << QByteArray("BLOCKOPT#LVX#0#LVX#0#LVX#0#LVXF#");
    QTest::newRow("shut down, both checked")
        << QStringList{u"4"_s, u"1"_s, u"1"_s} << QByteArray("BLOCKOPT#LVX#4#LVX#1#LVX#1#LVXF#");
}

void WireTest::lockOptions()
{
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, bytes);
    test::RecordingConnections connections;
    OperatorSession session;
    LinkSender(connections, session).send(5, u"BLOCKOPT"_s, fields);
    QCOMPARE(connections.sentTo(5), QStringList{QString::fromLatin1(bytes)});
}

void WireTest::chatKeywordFollowsTheChatRight_data()
{
    QTest::addColumn<bool>("chatRight");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("with the right") << true << QByteArray("MSGBOX2#LVX#Hola#LVXF#");
    QTest::newRow("without it") << false << QByteArray("MSGBOX#LVX#Hola#LVXF#");
}

void WireTest::chatKeywordFollowsTheChatRight()
{
    QFETCH(bool, chatRight);
    QFETCH(QByteArray, bytes);
    test::RecordingConnections connections;
    OperatorSession session;
    OperatorRecord op{u"ana"_s, {}, {}};
    op.rights[std::size_t(Right::ChatWithServer)] = chatRight;
    session.logIn(op);
    LinkSender sender(connections, session);

    sender.SENDMENSAJE(1, u"Hola"_s);

    QCOMPARE(connections.sentTo(1), QStringList{QString::fromLatin1(bytes)});
}

void WireTest::closedConnectionGetsNothing()
{
    test::RecordingConnections connections;
    connections.closed = {2};
    OperatorSession session;
    LinkSender sender(connections, session);

    sender.SENDGEN(2, u"SHOWF"_s, u"SHOWF"_s);
    sender.SENDMENSAJE(2, u"Hola"_s);
    sender.send(2, u"SENDSTAT"_s, {u""_s, u"0:00:00"_s});
    sender.SENDGEN(1, u"SHOWF"_s, u"SHOWF"_s);

    QCOMPARE(connections.sent.size(), 1);
    QCOMPARE(connections.sent[0].index, 1);
}

void WireTest::split_data()
{
    QTest::addColumn<QString>("received");
    QTest::addColumn<QStringList>("pieces");

    QTest::newRow("name") << u"GETNAME#LVX#pc03"_s << QStringList{u"GETNAME"_s, u"pc03"_s};
    QTest::newRow("terminator is not looked for")
        << u"GETSTART2#LVXF#"_s << QStringList{u"GETSTART2#LVXF#"_s};
    QTest::newRow("two messages in one read")
        << u"GETNAME#LVX#PC1GETMAC#LVX#AA"_s << QStringList{u"GETNAME"_s, u"PC1GETMAC"_s, u"AA"_s};
    QTest::newRow("login") << u"GETSTART#LVX#ana#LVX#secreta"_s
                           << QStringList{u"GETSTART"_s, u"ana"_s, u"secreta"_s};
    QTest::newRow("keyword only") << u"GETOUT"_s << QStringList{u"GETOUT"_s};
    QTest::newRow("empty read") << QString() << QStringList{QString()};
    QTest::newRow("only separators") << u"#LVX##LVX#"_s << QStringList{{}, {}, {}};
    QTest::newRow("empty last field") << u"MSGBOX#LVX#"_s << QStringList{u"MSGBOX"_s, {}};
    QTest::newRow("case counts") << u"GETNAME#lvx#x"_s << QStringList{u"GETNAME#lvx#x"_s};
    QTest::newRow("customer message") << Wire::decode("MSGBOX#LVX#\xBFMe trae un caf\xE9?")
                                      << QStringList{u"MSGBOX"_s, u"¿Me trae un café?"_s};
}

void WireTest::split()
{
    QFETCH(QString, received);
    QFETCH(QStringList, pieces);
    QCOMPARE(Wire::split(received), pieces);
}

void WireTest::codePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ascii") << u"PC01"_s << QByteArray("PC01");
    QTest::newRow("spanish letters")
        << u"ñÑáéíóúü¿¡"_s << QByteArray("\xF1\xD1\xE1\xE9\xED\xF3\xFA\xFC\xBF\xA1");
    QTest::newRow("euro and quotes") << u"€ “x” …"_s << QByteArray("\x80 \x93x\x94 \x85");
    QTest::newRow("outside the code page") << u"a\u4E2Db"_s << QByteArray("a?b");
    QTest::newRow("outside the basic plane is one mark") << u"a\U0001F600b"_s << QByteArray("a?b");
}

void WireTest::codePage()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Wire::encode(text), bytes);
    if (!bytes.contains('?'))
        QCOMPARE(Wire::decode(bytes), text);
}

void WireTest::everyByteSurvivesTheRoundTrip()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString text = Wire::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(Wire::encode(text), all);
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::WireTest)
#include "tst_wire.moc"
