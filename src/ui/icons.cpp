#include "icons.h"

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

QIcon draw(const QString& key)
{
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
    QIcon icon;
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
