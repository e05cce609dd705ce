#include "ui/common/icons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// A small monitor whose screen colour tells the state; the disconnected one is grey and crossed.
QPixmap monitor(int size, const QColor& screen, bool crossed)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 16.0;
    p.scale(s, s);
    p.setPen(QPen(QColor(50, 50, 50), 1.0));
    p.setBrush(QColor(90, 90, 90));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 10), 1.2, 1.2);
    p.setPen(Qt::NoPen);
    p.setBrush(screen);
    p.drawRect(QRectF(3, 3, 10, 7));
    p.setBrush(QColor(90, 90, 90));
    p.drawRect(QRectF(6.5, 11.5, 3, 2));
    p.drawRoundedRect(QRectF(4, 13, 8, 1.8), 0.8, 0.8);
    if (crossed) {
        p.setPen(QPen(QColor(200, 30, 30), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9.5, 7.5), QPointF(14.5, 12.5));
        p.drawLine(QPointF(14.5, 7.5), QPointF(9.5, 12.5));
    }
    return pm;
}

// Toolbar pictures, drawn on a 16 x 16 grid.
void drawCoins(QPainter& p)
{
    p.setPen(QPen(QColor(140, 100, 10), 0.8));
    p.setBrush(QColor(245, 195, 50));
    p.drawEllipse(QRectF(1.5, 6.5, 9, 9));
    p.drawEllipse(QRectF(5.5, 1.5, 9, 9));
    p.setPen(QPen(QColor(140, 100, 10), 1.3));
    p.drawLine(QPointF(10, 3.8), QPointF(10, 8.2));
}

void drawModeSwitch(QPainter& p)
{
    p.setPen(QPen(QColor(60, 60, 60), 1.0));
    p.setBrush(QColor(230, 230, 230));
    p.drawRoundedRect(QRectF(1, 2, 14, 5), 2.5, 2.5);
    p.drawRoundedRect(QRectF(1, 9, 14, 5), 2.5, 2.5);
    p.setBrush(QColor(40, 170, 60));
    p.drawEllipse(QRectF(9.5, 2.5, 4, 4));
    p.setBrush(QColor(40, 90, 190));
    p.drawEllipse(QRectF(2.5, 9.5, 4, 4));
}

void drawClockPlus(QPainter& p)
{
    p.setPen(QPen(QColor(50, 50, 50), 1.0));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1, 1, 11, 11));
    p.drawLine(QPointF(6.5, 6.5), QPointF(6.5, 3));
    p.drawLine(QPointF(6.5, 6.5), QPointF(9, 6.5));
    p.setPen(QPen(QColor(30, 150, 50), 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(12, 9), QPointF(12, 15.5));
    p.drawLine(QPointF(8.8, 12.3), QPointF(15.2, 12.3));
}

void drawSwap(QPainter& p)
{
    p.setPen(QPen(QColor(40, 90, 190), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(2, 5), QPointF(13, 5));
    p.drawPolyline(QPolygonF({QPointF(10, 2), QPointF(13.5, 5), QPointF(10, 8)}));
    p.setPen(QPen(QColor(200, 110, 20), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(14, 11), QPointF(3, 11));
    p.drawPolyline(QPolygonF({QPointF(6, 8), QPointF(2.5, 11), QPointF(6, 14)}));
}

void drawBox(QPainter& p)
{
    p.setPen(QPen(QColor(110, 70, 30), 0.9));
    p.setBrush(QColor(215, 160, 95));
    p.drawRect(QRectF(2, 5, 12, 9.5));
    p.setBrush(QColor(235, 190, 130));
    p.drawPolygon(
        QPolygonF({QPointF(2, 5), QPointF(4.5, 1.5), QPointF(11.5, 1.5), QPointF(14, 5)}));
    p.setPen(QPen(QColor(110, 70, 30), 1.2));
    p.drawLine(QPointF(8, 5), QPointF(8, 9));
}

void drawGear(QPainter& p)
{
    QPainterPath gear;
    const QPointF c(8, 8);
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(i * 45.0);
        gear.addPolygon(t.map(QPolygonF(QRectF(-1.4, -7.3, 2.8, 3.5))));
    }
    gear.addEllipse(c, 5.2, 5.2);
    gear = gear.simplified();
    QPainterPath hole;
    hole.addEllipse(c, 2.0, 2.0);
    p.setPen(QPen(QColor(60, 60, 70), 0.8));
    p.setBrush(QColor(150, 155, 165));
    p.drawPath(gear.subtracted(hole));
}

QPixmap picture(int size, void (*paint)(QPainter&))
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    paint(p);
    return pm;
}

QIcon draw(const QString& key)
{
    static const QHash<QString, void (*)(QPainter&)> pictures = {
        {u"imgcobrar"_s, drawCoins}, {u"imgmodo"_s, drawModeSwitch}, {u"imgaumen"_s, drawClockPlus},
        {u"imginter"_s, drawSwap},   {u"icarticulos"_s, drawBox},    {u"imgconfig"_s, drawGear},
    };
    QIcon icon;
    if (auto paint = pictures.value(key)) {
        for (int size : {16, 24, 32})
            icon.addPixmap(picture(size, paint));
        return icon;
    }
    QColor screen;
    bool crossed = false;
    if (key == u"imghabilitar"_s) {
        screen = QColor(40, 170, 60);
    } else if (key == u"imgbloqueado"_s) {
        screen = QColor(40, 90, 190);
    } else if (key == u"imgdesconectado"_s) {
        screen = QColor(170, 170, 170);
        crossed = true;
    } else {
        return {};
    }
    for (int size : {16, 24, 32})
        icon.addPixmap(monitor(size, screen, crossed));
    return icon;
}

} // namespace

QIcon iconForKey(const QString& key)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, draw(key));
    return it.value();
}

} // namespace kestrel
