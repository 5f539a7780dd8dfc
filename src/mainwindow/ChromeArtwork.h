// The pictures of the main window's own frame, drawn here: the title strip,
// the image buttons, the mode highlight and the tray icon's frames.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include <vector>

namespace ravelin::chrome {

enum class Glyph { Minimise, Quit, PumpOn, PumpOff, Shutdown, Clear, Users };

inline constexpr int kTitleHeight = 28;
inline constexpr int kButtonSize = 24;

QPixmap titlePicture(const QString& caption, int width);
// A button's icon; its On state shows the highlight of the selected mode.
QIcon buttonIcon(Glyph glyph);
// imgModeSel's picture: the highlight behind a selected mode button.
QPixmap modeHighlight();
// imlTray: eleven pictures, the animation using 7 to 10.
std::vector<QIcon> trayImages();

} // namespace ravelin::chrome
