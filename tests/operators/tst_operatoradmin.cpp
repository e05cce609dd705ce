#include "operators/login.h"
#include "support/testsupport.h"
#include "ui/operators/operatorswindow.h"

#include <QTableWidget>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;
using Mode = OperatorAdmin::Mode;

namespace {

const QString TableSql =
    u"SELECT group_concat(Usuario||':'||ifnull(password, '')||':'||%1, ' ') FROM Operadores"_s;

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
    // "name:password:rights" per operator, the rights as eight digits in column order.
    QString table()
    {
        return store.scalar(TableSql.arg(operatorRightColumns().join(u"||"))).toString();
    }
    OperatorAdmin admin{{store.db(), actions, prompts, session}};
};

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
        QCOMPARE(f.table().section(u' ', 0, 0), u"admin:nueva:11111111"_s);
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
        // boxes checked before "Todos" | stored rights
        test::addRows(R"(
    three |0 2 5          |01011011
    none  |               |11111111
    all   |0 1 2 3 4 5 6 7|00000000
    )");
    }
    void todosInvertsAndNewSaves()
    {
        QFETCH(QStringList, f);
        Fixture c;
        c.admin.selectRow(1);
        // "Nuevo" empties the fields and keeps the boxes of the operator shown before.
        QCOMPARE(c.admin.startNew(), OperatorAdmin::Field::Name);
        QVERIFY(c.admin.form().name.isEmpty() && c.admin.form().password.isEmpty());
        QVERIFY(c.admin.form().rights == c.admin.rows()[1].record.rights);
        for (int i = 0; i < RightCount; ++i)
            c.admin.clickRight(Right(i), f[0].split(u' ').contains(QString::number(i)));
        c.admin.invertRights();
        c.admin.setName(u" luis "_s);
        c.admin.setPassword(u"pw"_s);
        QVERIFY(c.admin.save());
        QCOMPARE(c.table(), Start + u" luis:pw:"_s + f[1]);
        QVERIFY(c.admin.currentRow() == 5 && c.admin.mode() == Mode::Browse);
    }

    void saveRefusals_data()
    {
        // row modified (-1: "Nuevo") | name typed | name already taken ("": saved, "-": empty)
        test::addRows(R"(
    empty          |-1|      |-
    taken          |-1|CAJA  |caja
    taken, ñ       |-1|MUÑOZ |muñoz
    administrator  |-1|ADMIN |admin
    own name       |1 |CAJA  |
    rename to taken|1 |Muñoz |muñoz
    Admin to admin |4 |admin |admin
    )");
        QTest::newRow("blanks") << QStringList{u"-1"_s, u"   "_s, u"-"_s};
    }
    void saveRefusals()
    {
        QFETCH(QStringList, f);
        Fixture c;
        c.admin.selectRow(f[0].toInt());
        f[0] == u"-1"_s ? void(c.admin.startNew()) : void(c.admin.startModify());
        c.admin.setName(f[1]);
        const QString taken = u"Ya existe un operador con el nombre \"%1\". Escriba otro nombre."_s;
        const QString told = f[2] == u"-"_s   ? u"Ingrese los datos"_s
                             : f[2].isEmpty() ? f[2]
                                              : taken.arg(f[2]);
        QCOMPARE(c.admin.save(), told.isEmpty());
        QCOMPARE(c.prompts.toldTexts().join(u'|'), told);
        QVERIFY(f[2] != u"-"_s || c.prompts.told[0].icon == Prompts::Icon::Information);
        QCOMPARE(c.admin.mode(), told.isEmpty() ? Mode::Browse : Mode::Edit);
        QCOMPARE(c.table(), told.isEmpty() ? QString(Start).replace(u"caja"_s, f[1]) : Start);
    }

    void removeMovesToFirstRow_data()
    {
        // row | answer | question or refusal | operators left | current row after
        test::addRows(R"(
    asked, yes   |1|y|Desea eliminar el operador: \ncaja        |admin muñoz Marta Admin     |0
    asked, no    |1|n|Desea eliminar el operador: \ncaja        |admin caja muñoz Marta Admin|1
    last row     |4|y|Desea eliminar el operador: \nAdmin       |admin caja muñoz Marta      |0
    administrator|0|y|No puede eliminar la cuenta administrador|admin caja muñoz Marta Admin|0
    logged in    |3|y|No puede eliminar el operador con el que inició la sesión.|admin caja muñoz Marta Admin|3
    )");
    }
    void removeMovesToFirstRow()
    {
        QFETCH(QStringList, f);
        Fixture c;
        c.admin.selectRow(f[0].toInt());
        c.prompts.answerNext(f[1] == u"y"_s);
        QCOMPARE(c.admin.remove(), f[3].split(u' ').size() == 4);
        QCOMPARE(c.prompts.questions + c.prompts.toldTexts(),
                 QStringList{f[2].replace(u"\\n"_s, u"\n"_s)});
        QCOMPARE(c.table().remove(QRegularExpression(u":[^ ]*"_s)), f[3]);
        QCOMPARE(c.admin.form().name + QString::number(c.admin.currentRow()),
                 f[3].split(u' ')[f[4].toInt()] + f[4]);
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
        QCOMPARE(f.table(), Start + u" luis:pw:00001000"_s);
        QVERIFY(w.grid()->rowCount() == 6 && w.grid()->currentRow() == 5);
        click(u"cmdcerrar"_s);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestOperatorAdmin)
#include "tst_operatoradmin.moc"
