#include "core/timetext.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

class TestTimeText : public QObject {
    Q_OBJECT
private slots:
    void toSeconds_data();
    void toSeconds();
    void fromSeconds_data();
    void fromSeconds();
    void arithmetic_data();
    void arithmetic();
    void stepOneSecond_data();
    void stepOneSecond();
};

void TestTimeText::toSeconds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("seconds"); // -1: not a time
    QTest::newRow("zero") << u"0:00:00"_s << qint64(0);
    QTest::newRow("unpadded hours") << u"1:02:03"_s << qint64(3723);
    QTest::newRow("padded hours") << u"01:02:03"_s << qint64(3723);
    QTest::newRow("fields without padding") << u"9:5:3"_s << qint64(32703);
    QTest::newRow("no seconds") << u"1:05"_s << qint64(3900);
    QTest::newRow("last second of the day") << u"23:59:59"_s << qint64(86399);
    QTest::newRow("past a day") << u"24:00:00"_s << qint64(86400);
    QTest::newRow("many hours") << u"100:00:01"_s << qint64(360001);
    QTest::newRow("blanks around") << u" 0:10:00 "_s << qint64(600);
    QTest::newRow("empty") << u""_s << qint64(-1);
    QTest::newRow("minutes 60") << u"0:60:00"_s << qint64(-1);
    QTest::newRow("seconds 60") << u"0:00:60"_s << qint64(-1);
    QTest::newRow("negative") << u"-1:00:00"_s << qint64(-1);
    QTest::newRow("text") << u"abc"_s << qint64(-1);
    QTest::newRow("hours only") << u"5"_s << qint64(-1);
    QTest::newRow("four fields") << u"1:00:00:00"_s << qint64(-1);
    QTest::newRow("empty field") << u"1::00"_s << qint64(-1);
    QTest::newRow("three-digit minutes") << u"0:005:00"_s << qint64(-1);
    QTest::newRow("decimal seconds") << u"0:00:1.5"_s << qint64(-1);
}

void TestTimeText::toSeconds()
{
    QFETCH(QString, text);
    QFETCH(qint64, seconds);
    const auto value = TimeText::toSeconds(text);
    QCOMPARE(value.value_or(-1), seconds);
}

void TestTimeText::fromSeconds_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << u"0:00:00"_s;
    QTest::newRow("unpadded hours") << qint64(3723) << u"1:02:03"_s;
    QTest::newRow("two-digit hours") << qint64(36000) << u"10:00:00"_s;
    QTest::newRow("past a day") << qint64(90061) << u"25:01:01"_s;
    QTest::newRow("negative has run out") << qint64(-5) << u"0:00:00"_s;
}

void TestTimeText::fromSeconds()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(TimeText::fromSeconds(seconds), text);
}

void TestTimeText::arithmetic_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("sum");        // empty: not a time
    QTest::addColumn<QString>("difference"); // a - b
    QTest::newRow("simple") << u"1:00:00"_s << u"0:10:01"_s << u"1:10:01"_s << u"0:49:59"_s;
    QTest::newRow("carry into hours")
        << u"0:50:10"_s << u"0:20:00"_s << u"1:10:10"_s << u"0:30:10"_s;
    QTest::newRow("past midnight")
        << u"23:30:00"_s << u"1:00:00"_s << u"24:30:00"_s << u"22:30:00"_s;
    QTest::newRow("difference below zero")
        << u"0:05:00"_s << u"0:06:00"_s << u"0:11:00"_s << u"0:00:00"_s;
    QTest::newRow("equal") << u"0:06:00"_s << u"0:06:00"_s << u"0:12:00"_s << u"0:00:00"_s;
    QTest::newRow("invalid operand") << u"x"_s << u"0:01:00"_s << QString() << QString();
}

void TestTimeText::arithmetic()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, sum);
    QFETCH(QString, difference);
    QCOMPARE(TimeText::add(a, b).value_or(QString()), sum);
    QCOMPARE(TimeText::subtract(a, b).value_or(QString()), difference);
}

void TestTimeText::stepOneSecond_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("next"); // empty: not a time
    QTest::newRow("empty counts as zero") << u""_s << u"0:00:01"_s;
    QTest::newRow("second") << u"0:00:00"_s << u"0:00:01"_s;
    QTest::newRow("minute carry") << u"0:00:59"_s << u"0:01:00"_s;
    QTest::newRow("hour carry") << u"0:59:59"_s << u"1:00:00"_s;
    QTest::newRow("padded input") << u"09:59:59"_s << u"10:00:00"_s;
    QTest::newRow("end of a day keeps counting") << u"23:59:59"_s << u"24:00:00"_s;
    QTest::newRow("not a time") << u"1:99:00"_s << QString();
}

void TestTimeText::stepOneSecond()
{
    QFETCH(QString, text);
    QFETCH(QString, next);
    QCOMPARE(TimeText::stepOneSecond(text).value_or(QString()), next);
}

QTEST_GUILESS_MAIN(TestTimeText)
#include "tst_timetext.moc"
