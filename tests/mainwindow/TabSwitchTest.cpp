#include "MainFixture.h"

#include "mainwindow/TabPictures.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <filesystem>

using namespace ravelin;
using ravelin::test::MainWindowTest;

namespace {

// Indices of `first` and its siblings named alike, from the topmost down,
// read from the stacking order.
std::vector<int> topDown(QWidget* first, const QString& prefix)
{
    std::vector<int> order;
    const auto siblings = first->parentWidget()->children();
    for (auto it = siblings.rbegin(); it != siblings.rend(); ++it)
        if ((*it)->objectName().startsWith(prefix))
            order.push_back((*it)->property("index").toInt());
    return order;
}

std::vector<int> expectedOrder(int k)
{
    std::vector<int> order;
    for (int i = k; i < kTabCount; ++i)
        order.push_back(i);
    for (int i = k - 1; i >= 0; --i)
        order.push_back(i);
    return order;
}

void copyShippedPictures(const std::filesystem::path& appFolder)
{
    std::filesystem::copy(ravelin::test::sourceDir() / "assets" / "img", appFolder / "img",
                          std::filesystem::copy_options::recursive);
}

} // namespace

// Load selects the console tab; every click restacks and swaps pictures.
TEST_F(MainWindowTest, EveryTabClickRestacksAndSwapsPictures)
{
    copyShippedPictures(appFolder.path());
    FrmMain& w = openWindow();
    for (int k : {-1, 3, 7, 0, 5, 6, 6, 1, 2, 4}) {
        if (k >= 0)
            QTest::mouseClick(w.imgTab(k), Qt::LeftButton);
        const int on = k < 0 ? 0 : k;
        EXPECT_EQ(topDown(w.imgTab(0), "imgTab"), expectedOrder(on)) << "tab " << k;
        EXPECT_EQ(topDown(w.picBase(0), "picBase").at(0), on) << "tab " << k;
        for (int i = 0; i < kTabCount; ++i) {
            const QPixmap& wanted = i == on ? w.TabPicOn(i) : w.TabPicOff(i);
            EXPECT_EQ(w.imgTab(i)->pixmap().cacheKey(), wanted.cacheKey()) << "tab " << k << " picture " << i;
        }
    }

    // The users button brings the clients page to the front.
    QTest::mouseClick(w.imgTab(2), Qt::LeftButton);
    auto* users = child<QToolButton>("imgUsers");
    EXPECT_EQ(users->accessibleName(), "Clients");
    QTest::mouseClick(users, Qt::LeftButton);
    EXPECT_EQ(topDown(w.imgTab(0), "imgTab"), expectedOrder(kClientsTab));
    EXPECT_EQ(topDown(w.picBase(0), "picBase").at(0), kClientsTab);
}

TEST_F(MainWindowTest, PicturesComeFromTheApplicationFolderWithBuiltInFallbacks)
{
    copyShippedPictures(appFolder.path());
    std::filesystem::remove(appFolder.path() / "img" / "tab_cvars_on.gif");
    // An unreadable file counts as missing.
    test::writeFile(appFolder.path() / "img" / "tab_sys_off.gif", "not a picture");
    FrmMain& w = makeWindow();
    w.load();
    for (int i = 0; i < kTabCount; ++i) {
        for (bool on : {true, false}) {
            const QImage shown = (on ? w.TabPicOn(i) : w.TabPicOff(i)).toImage();
            const bool fallback = (i == kCvarsTab && on) || (i == 1 && !on);
            const QImage wanted = fallback
                ? builtInTabPicture(i, on).toImage()
                : QImage(QString::fromStdString(tabPictureFile(appFolder.path(), i, on).string()));
            ASSERT_FALSE(wanted.isNull());
            EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32), wanted.convertToFormat(QImage::Format_ARGB32))
                << "tab " << i << (on ? " on" : " off");
        }
    }
    // Every shipped picture is a real, distinct picture.
    EXPECT_NE(w.TabPicOn(0).toImage(), w.TabPicOff(0).toImage());
}
