// The station link's text: a received message's fields, and Windows-1252 bytes both ways.
#include "support/testsupport.h"
#include "wire/wire.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

class WireTest : public QObject {
    Q_OBJECT
private slots:
    void split_data()
    {
        test::addRows("received | pieces", R"(
    terminator kept         |GETSTART2#LVXF#             |GETSTART2#LVXF#
    two messages in one read|GETNAME#LVX#PC1GETMAC#LVX#AA|GETNAME/PC1GETMAC/AA
    empty read              |                            |
    only separators         |#LVX##LVX#                  |//
    case counts             |GETNAME#lvx#x               |GETNAME#lvx#x
    )");
    }

    void split()
    {
        QFETCH(test::Row, r); // the pieces separated by "/"
        QCOMPARE(Wire::split(r[u"received"]), r[u"pieces"].split(u'/'));
    }

    void codePage()
    {
        QByteArray all; // every byte comes back as itself, the five undefined ones included
        for (int b = 0; b < 256; ++b)
            all += char(b);
        QCOMPARE(Wire::encode(Wire::decode(all)), all);
        const QByteArray bytes("\xF1\xD1\xE1\xFC\xBF\xA1\x80\x93\x94\x85");
        QCOMPARE(Wire::encode(u"ñÑáü¿¡€“”…"_s), bytes);
        QCOMPARE(Wire::decode(bytes), u"ñÑáü¿¡€“”…"_s);
        // Outside the code page, even outside the basic plane: one mark.
        QCOMPARE(Wire::encode(u"a\u4E2Db\U0001F600c"_s), QByteArray("a?b?c"));
    }

    void framing_data()
    {
        // The reads separated by "~"; the messages after each read, "/" between messages.
        test::addRows("reads | messages", R"(
    one message, one read |SHOWF#LVX##LVXF#                  |SHOWF#LVX#
    split over three reads|SENDS~TAT#LVX#1#L~VXF#            |~~SENDSTAT#LVX#1
    two in one read       |5#LVX##LVXF#6#LVX##LVXF#          |5#LVX#/6#LVX#
    one and a half        |A#LVXF#B#LV~X#x#LVXF#             |A~B#LVX#x
    terminator split      |A#LVX#x#LV~XF~#                   |~~A#LVX#x
    nothing but ends      |#LVXF##LVXF#                      |/
    )");
    }
    void framing()
    {
        QFETCH(test::Row, r);
        Wire::Framer framer;
        QStringList after;
        for (const QString& read : r[u"reads"].split(u'~'))
            after << framer.feed(Wire::encode(read)).join(u'/');
        QCOMPARE(after, r[u"messages"].split(u'~'));
    }

    // Bytes that never end a message are let go past the limit; what follows frames again.
    void framingLimit()
    {
        Wire::Framer framer;
        const QByteArray chunk(64 * 1024, 'x');
        for (qsizetype sent = 0; sent <= Wire::Framer::MaxPending; sent += chunk.size())
            QVERIFY(framer.feed(chunk).isEmpty());
        QCOMPARE(framer.feed("GETMAC#LVX#aa#LVXF#"), QStringList{u"GETMAC#LVX#aa"_s});
    }
};

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::WireTest)
#include "tst_wire.moc"
