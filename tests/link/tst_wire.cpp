// The station link's text: a received message's fields, and Windows-1252 bytes both ways.
#include "link/wire.h"
#include "support/testsupport.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

class WireTest : public QObject {
    Q_OBJECT
private slots:
    void split_data()
    {
        // received | the pieces, separated by "/"
        test::addRows(R"(
    terminator kept         |GETSTART2#LVXF#             |GETSTART2#LVXF#
    two messages in one read|GETNAME#LVX#PC1GETMAC#LVX#AA|GETNAME/PC1GETMAC/AA
    empty read              |                            |
    only separators         |#LVX##LVX#                  |//
    case counts             |GETNAME#lvx#x               |GETNAME#lvx#x
    )");
    }

    void split()
    {
        QFETCH(QStringList, f);
        QCOMPARE(Wire::split(f[0]), f[1].split(u'/'));
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
};

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::WireTest)
#include "tst_wire.moc"
