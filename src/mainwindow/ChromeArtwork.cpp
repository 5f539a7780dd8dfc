#include "mainwindow/ChromeArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace ravelin::chrome {

namespace {

const QColor kInk(0xe8, 0xea, 0xee);
const QColor kAccent(0xd8, 0x8a, 0x2a);

void drawGlyph(QPainter& p, Glyph glyph, const QColor& ink)
{
    const QRectF box(6, 6, kButtonSize - 12, kButtonSize - 12);
    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::Minimise: p.drawLine(QPointF(box.left(), box.bottom()), QPointF(box.right(), box.bottom())); break;
    case Glyph::Quit:
        p.drawLine(box.topLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomLeft());
        break;
    case Glyph::PumpOn: {
        QPainterPath play;
        play.moveTo(box.left() + 1, box.top());
        play.lineTo(box.right(), box.center().y());
        play.lineTo(box.left() + 1, box.bottom());
        play.closeSubpath();
        p.fillPath(play, ink);
        break;
    }
    case Glyph::PumpOff:
        p.fillRect(QRectF(box.left() + 1, box.top(), 3, box.height()), ink);
        p.fillRect(QRectF(box.right() - 4, box.top(), 3, box.height()), ink);
        break;
    case Glyph::Shutdown:
        p.drawArc(box, 120 * 16, 300 * 16);
        p.drawLine(QPointF(box.center().x(), box.top() - 1), QPointF(box.center().x(), box.center().y()));
        break;
    case Glyph::Clear:
        p.drawRect(box.adjusted(1, 2, -1, 0));
        p.drawLine(QPointF(box.left() - 1, box.top() + 2), QPointF(box.right() + 1, box.top() + 2));
        p.drawLine(QPointF(box.center().x() - 2, box.top()), QPointF(box.center().x() + 2, box.top()));
        break;
    case Glyph::Users: {
        // Two players, one behind the other.
        const qreal r = box.width() / 5.0;
        for (const qreal dx : {box.width() * 0.3, -box.width() * 0.05}) {
            const QPointF head(box.center().x() + dx, box.top() + r + 0.5);
            p.drawEllipse(head, r, r);
            p.drawArc(QRectF(head.x() - 2 * r, head.y() + 1.5 * r, 4 * r, 4 * r), 0, 180 * 16);
        }
        break;
    }
    }
}

QPixmap glyphPicture(Glyph glyph, bool highlighted)
{
    QPixmap picture(kButtonSize, kButtonSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    if (highlighted)
        p.drawPixmap(0, 0, modeHighlight());
    drawGlyph(p, glyph, kInk);
    return picture;
}

} // namespace

QPixmap titlePicture(const QString& caption, int width)
{
    QPixmap picture(std::max(width, 1), kTitleHeight);
    QPainter p(&picture);
    QLinearGradient fill(0, 0, 0, kTitleHeight);
    fill.setColorAt(0, QColor(0x3a, 0x3e, 0x46));
    fill.setColorAt(1, QColor(0x1c, 0x1e, 0x22));
    p.fillRect(picture.rect(), fill);
    p.fillRect(QRect(0, kTitleHeight - 2, width, 2), kAccent);
    QFont font = p.font();
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRect(10, 0, width - 10, kTitleHeight - 2), Qt::AlignLeft | Qt::AlignVCenter, caption);
    return picture;
}

QIcon buttonIcon(Glyph glyph)
{
    QIcon icon;
    icon.addPixmap(glyphPicture(glyph, false), QIcon::Normal, QIcon::Off);
    icon.addPixmap(glyphPicture(glyph, true), QIcon::Normal, QIcon::On);
    return icon;
}

QPixmap modeHighlight()
{
    QPixmap picture(kButtonSize, kButtonSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kAccent.lighter(130), 1));
    p.setBrush(kAccent.darker(160));
    p.drawRoundedRect(QRectF(0.5, 0.5, kButtonSize - 1, kButtonSize - 1), 4, 4);
    return picture;
}

std::vector<QIcon> trayImages()
{
    std::vector<QIcon> images;
    for (int i = 0; i <= 10; ++i) {
        QPixmap picture(32, 32);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(0x2c, 0x2f, 0x35));
        p.setPen(QPen(kAccent, 2));
        p.drawEllipse(QRectF(2, 2, 28, 28));
        // Frames 7 to 10 light one more bar each: the console is busy.
        const int lit = i >= 7 ? i - 6 : 0;
        for (int bar = 0; bar < 4; ++bar) {
            const QColor colour = bar < lit ? kAccent.lighter(120) : QColor(0x60, 0x64, 0x6c);
            p.fillRect(QRectF(8 + bar * 4.5, 20 - bar * 3, 3, 4 + bar * 3), colour);
        }
        images.emplace_back(picture);
    }
    return images;
}

} // namespace ravelin::chrome
