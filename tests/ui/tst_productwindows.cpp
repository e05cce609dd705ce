// The catalogue and the sale as the operator drives them; the rules are in tst_products.
#include "products/catalogue.h"
#include "products/sale.h"
#include "support/testsupport.h"
#include "ui/sales/productswindow.h"
#include "ui/sales/saledialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

class TestProductWindows : public QObject {
    Q_OBJECT
private slots:
    // A sale from the panel: search, arrows, "Agregar", Enter in the payment; no right, no edits.
    void sellThroughThePanel()
    {
        test::CounterServices s;
        s.store.exec(u"INSERT INTO Articulos (Articulo, PVP, Stock) VALUES ('pan', 0.5, 10), "
                     u"('té', 1.25, 3)"_s);
        Catalogue catalogue{{s.store.db(), s.actions, s.prompts}};
        ProductsWindow products{catalogue, s.session, s.prompts};
        Sale sale{{s.store.db(), s.actions, s.journal, s.prompts, s.settings}};
        SaleDialog dialog{sale, products, u"$"_s};
        auto in = [](QWidget& w, const char* name) { return w.findChild<QWidget*>(name); };
        auto click = [&](QWidget& w, const char* b) {
            QTest::mouseClick(in(w, b), Qt::LeftButton);
        };
        auto text = [&](QWidget& w, const char* n) {
            return in(w, n)->property("text").toString();
        };

        dialog.showSale();
        click(dialog, "cmdagregar");
        QVERIFY(products.isVisible() && products.isModal());
        QVERIFY(!in(products, "cmdnuevo")->isEnabled() && !in(products, "cmdguardar")->isEnabled());
        in(products, "txtarticulo")->setProperty("text", u"TÉ"_s);
        QTest::keyClick(in(products, "txtarticulo"), Qt::Key_Return);
        QTest::keyClicks(in(products, "txtpvp"), u"a-"_s); // refused
        click(products, "cmdsubir");
        COMPARE_FIELDS("1,25 | té | 2,50", "txtpvp | lblarticulo | lblpvp",
                       text(products, "txtpvp"), text(products, "lblarticulo"),
                       text(products, "lblpvp"));
        for (const char* arrow : {"cmdbajar", "cmdbajar", "cmdbajar", "cmdsubir"}) // not below 0
            click(products, arrow);
        COMPARE_FIELDS("1 | 1,25", "txtcantidad | lblpvp", text(products, "txtcantidad"),
                       text(products, "lblpvp"));
        click(products, "cmdagregar");
        QVERIFY(!products.isVisible());
        QCOMPARE(text(dialog, "txttotal"), u"1,40"_s);
        QTest::keyClicks(in(dialog, "txtpago"), u"3"_s);
        QTest::keyClick(in(dialog, "txtpago"), Qt::Key_Return);
        QCOMPARE(s.prompts.toldTexts(), QStringList{u"  Cambio: 1,60 "_s});
        QCOMPARE(dialog.findChild<QTreeWidget*>("lstventa")->topLevelItemCount(), 0);
        QCOMPARE(s.store.scalar(u"SELECT Stock FROM Articulos WHERE Articulo = 'té'"_s), 2);
        click(dialog, "cmdvender"); // an empty sale only hides the dialog
        QVERIFY(!dialog.isVisible());
    }

    // A search that finds nothing puts the current product's name back, so that "Guardar" keeps
    // the product as it was instead of renaming it to the searched text.
    void failedSearchKeepsTheName()
    {
        test::CounterServices s;
        OperatorRecord marta{u"Marta"_s, {}, {}};
        marta.rights[std::size_t(Right::AdminProducts)] = true;
        s.session.logIn(marta);
        s.store.exec(u"INSERT INTO Articulos (Articulo, PVP, Stock) VALUES ('pan', 0.5, 10)"_s);
        Catalogue catalogue{{s.store.db(), s.actions, s.prompts}};
        ProductsWindow products{catalogue, s.session, s.prompts};
        products.showForAdmin();
        auto* name = products.findChild<QLineEdit*>(u"txtarticulo"_s);
        name->setText(u"leche"_s);
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(s.prompts.toldTexts().size(), 1);
        QCOMPARE(name->text(), u"pan"_s);
        QTest::mouseClick(products.findChild<QPushButton*>(u"cmdguardar"_s), Qt::LeftButton);
        COMPARE_RECORDS(s.store.rows(u"SELECT Articulo FROM Articulos"_s), "Articulo", "pan");
    }
};

QTEST_MAIN(TestProductWindows)
#include "tst_productwindows.moc"
