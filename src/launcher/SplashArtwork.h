// The start window's pictures, drawn at run time so the window needs no
// files: the tree's server and machine images and one glyph per button.
#pragma once

#include <QIcon>
#include <QString>

namespace ravelin::splash {

enum class Glyph { Server, Machine, Connect, Show, Kill, Reload, Auto, Gatehop, Min, Quit };

QIcon icon(Glyph glyph, int size = 32);

} // namespace ravelin::splash
