#include "mainwindow/TabPictures.h"

#include "mainwindow/TabOrder.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ravelin {

std::filesystem::path tabPictureFile(const std::filesystem::path& appFolder, int index, bool on)
{
    std::string name = std::string("tab_") + kTabNames[static_cast<std::size_t>(index)] + (on ? "_on.gif" : "_off.gif");
    return appFolder / "img" / name;
}

QPixmap loadTabPicture(const std::filesystem::path& appFolder, int index, bool on)
{
    QPixmap picture;
    if (picture.load(QString::fromStdString(tabPictureFile(appFolder, index, on).string())) && !picture.isNull())
        return picture;
    return builtInTabPicture(index, on);
}

QPixmap builtInTabPicture(int index, bool on)
{
    QPixmap picture(kTabPictureWidth, kTabPictureHeight);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    // A trapezoid tab, slanted on both sides so neighbours can overlap.
    QPainterPath shape;
    shape.moveTo(0, kTabPictureHeight);
    shape.lineTo(10, 1);
    shape.lineTo(kTabPictureWidth - 11, 1);
    shape.lineTo(kTabPictureWidth - 1, kTabPictureHeight);
    shape.closeSubpath();

    QLinearGradient fill(0, 0, 0, kTabPictureHeight);
    fill.setColorAt(0, on ? QColor(0xd8, 0x8a, 0x2a) : QColor(0x5a, 0x5e, 0x66));
    fill.setColorAt(1, on ? QColor(0x8a, 0x48, 0x10) : QColor(0x2c, 0x2f, 0x35));
    painter.fillPath(shape, fill);
    painter.setPen(QPen(on ? QColor(0xff, 0xd0, 0x80) : QColor(0x90, 0x94, 0x9c), 1));
    painter.drawPath(shape);

    QFont font = painter.font();
    font.setPixelSize(12);
    font.setBold(on);
    painter.setFont(font);
    painter.setPen(on ? Qt::white : QColor(0xc8, 0xcc, 0xd2));
    painter.drawText(QRect(0, 2, kTabPictureWidth, kTabPictureHeight - 2), Qt::AlignCenter,
                     QString::fromLatin1(kTabNames[static_cast<std::size_t>(index)]));
    return picture;
}

} // namespace ravelin
