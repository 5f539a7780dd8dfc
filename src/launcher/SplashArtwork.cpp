#include "launcher/SplashArtwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace ravelin::splash {

namespace {

void drawServer(QPainter& p, int s)
{
    // A rack unit with two drive lights.
    p.setPen(QPen(QColor(40, 40, 40), s / 16.0));
    p.setBrush(QColor(120, 130, 150));
    p.drawRoundedRect(QRectF(s * 0.15, s * 0.2, s * 0.7, s * 0.6), s * 0.08, s * 0.08);
    p.drawLine(QPointF(s * 0.15, s * 0.5), QPointF(s * 0.85, s * 0.5));
    p.setBrush(QColor(60, 220, 80));
    p.drawEllipse(QPointF(s * 0.7, s * 0.35), s * 0.06, s * 0.06);
    p.setBrush(QColor(240, 170, 40));
    p.drawEllipse(QPointF(s * 0.7, s * 0.65), s * 0.06, s * 0.06);
}

void drawMachine(QPainter& p, int s)
{
    // A monitor on a stand.
    p.setPen(QPen(QColor(30, 30, 30), s / 16.0));
    p.setBrush(QColor(50, 90, 160));
    p.drawRect(QRectF(s * 0.12, s * 0.15, s * 0.76, s * 0.5));
    p.setBrush(QColor(90, 90, 90));
    p.drawRect(QRectF(s * 0.42, s * 0.65, s * 0.16, s * 0.12));
    p.drawRect(QRectF(s * 0.28, s * 0.77, s * 0.44, s * 0.08));
}

void drawArrow(QPainter& p, int s, QColor colour)
{
    QPainterPath path;
    path.moveTo(s * 0.15, s * 0.4);
    path.lineTo(s * 0.5, s * 0.4);
    path.lineTo(s * 0.5, s * 0.2);
    path.lineTo(s * 0.85, s * 0.5);
    path.lineTo(s * 0.5, s * 0.8);
    path.lineTo(s * 0.5, s * 0.6);
    path.lineTo(s * 0.15, s * 0.6);
    path.closeSubpath();
    p.setPen(QPen(colour.darker(160), s / 20.0));
    p.setBrush(colour);
    p.drawPath(path);
}

void drawGlyph(QPainter& p, Glyph glyph, int s)
{
    const qreal w = s / 10.0;
    switch (glyph) {
    case Glyph::Server: drawServer(p, s); break;
    case Glyph::Machine: drawMachine(p, s); break;
    case Glyph::Connect: drawArrow(p, s, QColor(50, 180, 70)); break;
    case Glyph::Show:
        p.setPen(QPen(QColor(40, 60, 120), w));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(s * 0.1, s * 0.3, s * 0.8, s * 0.4));
        p.setBrush(QColor(40, 60, 120));
        p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.12, s * 0.12);
        break;
    case Glyph::Kill:
        p.setPen(QPen(QColor(200, 30, 30), w * 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.2, s * 0.2), QPointF(s * 0.8, s * 0.8));
        p.drawLine(QPointF(s * 0.8, s * 0.2), QPointF(s * 0.2, s * 0.8));
        break;
    case Glyph::Reload: {
        p.setPen(QPen(QColor(30, 120, 200), w, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6), 30 * 16, 300 * 16);
        QPainterPath head;
        head.moveTo(s * 0.78, s * 0.12);
        head.lineTo(s * 0.82, s * 0.42);
        head.lineTo(s * 0.55, s * 0.3);
        head.closeSubpath();
        p.setBrush(QColor(30, 120, 200));
        p.drawPath(head);
        break;
    }
    case Glyph::Auto: {
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const qreal radius = (i % 2 ? 0.18 : 0.4) * s;
            const qreal angle = -M_PI / 2 + i * M_PI / 5;
            QPointF point(s * 0.5 + radius * std::cos(angle), s * 0.52 + radius * std::sin(angle));
            i ? star.lineTo(point) : star.moveTo(point);
        }
        star.closeSubpath();
        p.setPen(QPen(QColor(150, 110, 0), s / 20.0));
        p.setBrush(QColor(250, 200, 30));
        p.drawPath(star);
        break;
    }
    case Glyph::Gatehop:
        p.setPen(QPen(QColor(110, 70, 30), w));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(s * 0.2, s * 0.85), QPointF(s * 0.2, s * 0.2));
        p.drawLine(QPointF(s * 0.8, s * 0.85), QPointF(s * 0.8, s * 0.2));
        p.drawLine(QPointF(s * 0.2, s * 0.35), QPointF(s * 0.8, s * 0.35));
        p.drawLine(QPointF(s * 0.2, s * 0.6), QPointF(s * 0.8, s * 0.6));
        break;
    case Glyph::Min:
        p.setPen(QPen(QColor(60, 60, 60), w, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.25, s * 0.75), QPointF(s * 0.75, s * 0.75));
        break;
    case Glyph::Quit:
        p.setPen(QPen(QColor(170, 30, 30), w, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(s * 0.2, s * 0.22, s * 0.6, s * 0.6), 120 * 16, 300 * 16);
        p.drawLine(QPointF(s * 0.5, s * 0.12), QPointF(s * 0.5, s * 0.48));
        break;
    }
}

} // namespace

QIcon icon(Glyph glyph, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawGlyph(painter, glyph, size);
    painter.end();
    return QIcon(pixmap);
}

} // namespace ravelin::splash
