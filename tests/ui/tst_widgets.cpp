#include "stations/stationtable.h"
#include "support/testsupport.h"
#include "ui/numerickeyfilter.h"
#include "ui/stationlistmodel.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

class TestWidgets : public QObject {
    Q_OBJECT
private slots:
    void numericBoxTypesOnlyNumbers_data();
    void numericBoxTypesOnlyNumbers();
    void numericBoxEnterMovesOn();
    void stationRowsFollowTheTable();
};

void TestWidgets::numericBoxTypesOnlyNumbers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("beeps");
    QTest::newRow("digits and both decimal signs") << u"12,5.0"_s << u"12,5.0"_s << 0;
    QTest::newRow("letters refused") << u"1a2b"_s << u"12"_s << 2;
    QTest::newRow("sign and blank refused") << u"-1 5"_s << u"15"_s << 2;
    QTest::newRow("currency refused") << u"$3"_s << u"3"_s << 1;
}

void TestWidgets::numericBoxTypesOnlyNumbers()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, beeps);
    QLineEdit box;
    NumericKeyFilter* filter = NumericKeyFilter::install(&box);
    QSignalSpy refused(filter, &NumericKeyFilter::refused);
    QTest::keyClicks(&box, typed);
    QCOMPARE(box.text(), shown);
    QCOMPARE(refused.count(), beeps);

    QTest::keyClick(&box, Qt::Key_Backspace);
    QCOMPARE(box.text(), shown.chopped(1));
    QTest::keyClick(&box, Qt::Key_Left); // keys that type nothing are the box's own
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(refused.count(), beeps + 1);
}

void TestWidgets::numericBoxEnterMovesOn()
{
    QWidget form;
    auto* amount = new QLineEdit(&form);
    auto* next = new QLineEdit(&form);
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(amount);
    layout->addWidget(next);
    NumericKeyFilter* filter = NumericKeyFilter::install(amount);
    QSignalSpy enter(filter, &NumericKeyFilter::enterPressed);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    amount->setFocus();
    QTest::keyClicks(amount, u"5"_s);
    QTest::keyClick(amount, Qt::Key_Return);
    QCOMPARE(enter.count(), 1);
    QVERIFY(next->hasFocus());
    QCOMPARE(amount->text(), u"5"_s);
}

void TestWidgets::stationRowsFollowTheTable()
{
    StationTable table;
    StationListModel model(table);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    Station s;
    s.pc = u"PC01"_s;
    s.sub = u"1,50"_s;
    table.setStations({s, s});
    QCOMPARE(model.rowCount(), 2);
    QVERIFY(!model.index(0, StationListModel::Pc).data(Qt::DecorationRole).isNull());

    table.update(1, [](Station& st) { st.usuario = u"jose"_s; });
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model.index(1, StationListModel::Usuario).data().toString(), u"jose"_s);
    QCOMPARE(model.index(1, StationListModel::Sub).data().toString(), u"1,50"_s);
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
