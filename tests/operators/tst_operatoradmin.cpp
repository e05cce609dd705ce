#include "operators/login.h"
#include "support/testsupport.h"
#include "ui/operators/operatorswindow.h"

#include <QTableWidget>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;
using Mode = OperatorAdmin::Mode;

namespace {

// admin (every right, made with the store), caja, muñoz, Marta (logged in) and Admin.
struct Fixture : test::CounterServices {
    Fixture()
    {
        store.addOperator(u"caja"_s, u"c"_s, {int(Right::ViewReports)});
        store.addOperator(u"muñoz"_s, {}, {});
        store.addOperator(u"Marta"_s, u"m"_s, {});
        store.addOperator(u"Admin"_s, u"a"_s, {0});
        admin.load();
    }
    // The operators as stored, the rights as eight digits in column order. The tests write them
    // "name:password:rights", blanks between the operators.
    test::Records table()
    {
        return store.rows(u"SELECT Usuario, password, %1 FROM Operadores"_s.arg(
            operatorRightColumns().join(u"||")));
    }
    OperatorAdmin admin{{store.db(), actions, prompts, session}};
};

const char* const Columns = "Usuario | password | rights";
const QString Start = u"admin::11111111 caja:c:00001000 muñoz::00000000 Marta:m:00000000 "
                      u"Admin:a:10000000"_s;

} // namespace

class TestOperatorAdmin : public QObject {
    Q_OBJECT
private slots:
    // Saving "admin" writes its password only; a session keeps its rights until the next login.
    void changesSeenAtNextLogin()
    {
        Fixture f;
        QVERIFY(!f.admin.unlocked());
        QCOMPARE(f.admin.startModify(), OperatorAdmin::Field::Password);
        f.admin.setName(u"jefe"_s);
        f.admin.invertRights();
        f.admin.setPassword(u"nueva"_s);
        QVERIFY(f.admin.save());
        COMPARE_RECORDS(f.table().mid(0, 1), Columns, u"admin:nueva:11111111"_s, u' ', u':');
        OperatorSession caja;
        caja.logIn(LoginCheck(f.store.db()).check(u"CAJA"_s, u"c"_s).record);
        f.admin.selectRow(4); // "Admin" is an ordinary operator
        QVERIFY(f.admin.unlocked());
        f.admin.selectRow(1);
        f.admin.clickRight(Right::ChatWithServer, true); // in browse mode: starts "Modificar"
        QVERIFY(f.admin.save() && !caja.has(Right::ChatWithServer));
        caja.logIn(LoginCheck(f.store.db()).check(u"CAJA"_s, u"c"_s).record);
        QVERIFY(caja.has(Right::ChatWithServer) && caja.has(Right::ViewReports));
    }

    void todosInvertsAndNewSaves_data()
    {
        // The boxes checked before "Todos", the rights stored.
        test::addRows("checked | rights", R"(
    three |0 2 5          |01011011
    none  |               |11111111
    all   |0 1 2 3 4 5 6 7|00000000
    )");
    }
    void todosInvertsAndNewSaves()
    {
        QFETCH(test::Row, r);
        Fixture c;
        c.admin.selectRow(1);
        // "Nuevo" empties the fields and keeps the boxes of the operator shown before.
        QCOMPARE(c.admin.startNew(), OperatorAdmin::Field::Name);
        c.admin.selectRow(2); // ignored while an operator is being written
        QVERIFY(c.admin.form().name.isEmpty() && c.admin.form().password.isEmpty());
        QVERIFY(c.admin.form().rights == c.admin.rows()[1].record.rights);
        for (int i = 0; i < RightCount; ++i)
            c.admin.clickRight(Right(i), r[u"checked"].split(u' ').contains(QString::number(i)));
        c.admin.invertRights();
        c.admin.setName(u" luis "_s);
        c.admin.setPassword(u"pw"_s);
        QVERIFY(c.admin.save());
        COMPARE_RECORDS(c.table(), Columns, Start + u" luis:pw:"_s + r[u"rights"], u' ', u':');
        QVERIFY(c.admin.currentRow() == 5 && c.admin.mode() == Mode::Browse);
    }

    void saveRefusals_data()
    {
        // The row modified (-1: "Nuevo"); the name taken ("": saved, "-": empty).
        test::addRows("row | typed | taken", R"(
    empty          |-1|      |-
    taken          |-1|CAJA  |caja
    taken, ñ       |-1|MUÑOZ |muñoz
    administrator  |-1|ADMIN |admin
    own name       |1 |CAJA  |
    rename to taken|1 |Muñoz |muñoz
    Admin to admin |4 |admin |admin
    )");
        QTest::newRow("blanks") << test::Row({u"row"_s, u"typed"_s, u"taken"_s},
                                             {u"-1"_s, u"   "_s, u"-"_s});
    }
    void saveRefusals()
    {
        QFETCH(test::Row, r);
        Fixture c;
        c.admin.selectRow(r.number(u"row"));
        r.number(u"row") == -1 ? void(c.admin.startNew()) : void(c.admin.startModify());
        c.admin.setName(r[u"typed"]);
        const QString taken = r[u"taken"], twice = u"Ya existe un operador con el nombre \"%1\"."_s;
        const QString told = taken == u"-"_s   ? u"Ingrese los datos"_s
                             : taken.isEmpty() ? taken
                                               : twice.arg(taken) + u" Escriba otro nombre."_s;
        QCOMPARE(c.admin.save(), told.isEmpty());
        QCOMPARE(c.prompts.toldTexts(), QStringList(!told.isEmpty(), told));
        QVERIFY(taken != u"-"_s || c.prompts.told[0].icon == Prompts::Icon::Information);
        QCOMPARE(c.admin.mode(), told.isEmpty() ? Mode::Browse : Mode::Edit);
        COMPARE_RECORDS(c.table(), Columns,
                        told.isEmpty() ? QString(Start).replace(u"caja"_s, r[u"typed"]) : Start,
                        u' ', u':');
    }

    void removeMovesToFirstRow_data()
    {
        // The question or the refusal, the operators left, the current row after.
        test::addRows("row | answer | told | left | current", R"(
    asked, yes   |1|y|Desea eliminar el operador: \ncaja        |admin muñoz Marta Admin     |0
    asked, no    |1|n|Desea eliminar el operador: \ncaja        |admin caja muñoz Marta Admin|1
    last row     |4|y|Desea eliminar el operador: \nAdmin       |admin caja muñoz Marta      |0
    administrator|0|y|No puede eliminar la cuenta administrador|admin caja muñoz Marta Admin|0
    logged in    |3|y|No puede eliminar el operador con el que inició la sesión.|admin caja muñoz Marta Admin|3
    )");
    }
    void removeMovesToFirstRow()
    {
        QFETCH(test::Row, r);
        Fixture c;
        c.admin.selectRow(r.number(u"row"));
        c.prompts.answerNext(r[u"answer"] == u"y"_s);
        const QStringList left = r[u"left"].split(u' ');
        QCOMPARE(c.admin.remove(), left.size() == 4);
        QCOMPARE(c.prompts.questions + c.prompts.toldTexts(),
                 QStringList{r[u"told"].replace(u"\\n"_s, u"\n"_s)});
        for (int i = 0; i < 5; ++i) // the operators left, in order
            QCOMPARE(c.table().value(i).value(0), left.value(i));
        QCOMPARE(c.admin.currentRow(), r.number(u"current"));
        QCOMPARE(c.admin.form().name, left[r.number(u"current")]);
    }

    void windowWiring()
    {
        Fixture f;
        OperatorsWindow w({f.store.db(), f.actions, f.prompts, f.session});
        w.showAll();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const auto widget = [&w](const QString& name) { return w.findChild<QWidget*>(name); };
        const auto click = [&](const QString& n) { QTest::mouseClick(widget(n), Qt::LeftButton); };
        // "admin" shown: name, boxes and "Todos" locked.
        QVERIFY(!widget(u"txtusuario"_s)->isEnabled() && !widget(u"chkadmart"_s)->isEnabled() &&
                !widget(u"cmdtodos"_s)->isEnabled() && widget(u"cmdnuevo"_s)->isEnabled());
        w.grid()->setCurrentCell(1, 0);
        click(u"chkadmart"_s); // a box clicked in browse mode modifies "caja"
        QVERIFY(widget(u"cmdguardar"_s)->isEnabled() && !widget(u"grdoperadores"_s)->isEnabled());
        click(u"cmdcancelar"_s);
        click(u"cmdnuevo"_s);
        QTest::keyClicks(QApplication::focusWidget(), u"luis"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), u"pw"_s);
        click(u"cmdguardar"_s);
        COMPARE_RECORDS(f.table(), Columns, Start + u" luis:pw:00001000"_s, u' ', u':');
        QVERIFY(w.grid()->rowCount() == 6 && w.grid()->currentRow() == 5);
        click(u"cmdcerrar"_s);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestOperatorAdmin)
#include "tst_operatoradmin.moc"
