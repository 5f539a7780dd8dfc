// The tab pictures: "img/tab_NAME_on.gif" (selected) and "_off.gif" from the
// application folder, and a picture drawn here for any file that is missing
// or unreadable, so a broken installation still shows usable tabs.
#pragma once

#include <QPixmap>

#include <filesystem>

namespace ravelin {

inline constexpr int kTabPictureWidth = 96;
inline constexpr int kTabPictureHeight = 24;

std::filesystem::path tabPictureFile(const std::filesystem::path& appFolder, int index, bool on);
QPixmap loadTabPicture(const std::filesystem::path& appFolder, int index, bool on);
QPixmap builtInTabPicture(int index, bool on);

} // namespace ravelin
