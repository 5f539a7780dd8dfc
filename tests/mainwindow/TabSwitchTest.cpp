#include "MainFixture.h"

#include "mainwindow/TabPictures.h"

#include <QFile>
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <filesystem>

using namespace ravelin;
using ravelin::test::MainWindowTest;

namespace {

// Tab indices from the topmost down, read from the strip's stacking order.
std::vector<int> tabsTopDown(FrmMain& w)
{
    std::vector<int> order;
    const auto siblings = w.imgTab(0)->parentWidget()->children();
    for (auto it = siblings.rbegin(); it != siblings.rend(); ++it)
        if ((*it)->objectName().startsWith("imgTab"))
            order.push_back((*it)->property("index").toInt());
    return order;
}

int topPage(FrmMain& w)
{
    const auto siblings = w.picBase(0)->parentWidget()->children();
    for (auto it = siblings.rbegin(); it != siblings.rend(); ++it)
        if ((*it)->objectName().startsWith("picBase"))
            return (*it)->property("index").toInt();
    return -1;
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
        EXPECT_EQ(tabsTopDown(w), expectedOrder(on)) << "tab " << k;
        EXPECT_EQ(topPage(w), on) << "tab " << k;
        for (int i = 0; i < kTabCount; ++i) {
            const QPixmap& wanted = i == on ? w.TabPicOn(i) : w.TabPicOff(i);
            EXPECT_EQ(w.imgTab(i)->pixmap().cacheKey(), wanted.cacheKey()) << "tab " << k << " picture " << i;
        }
    }
}

TEST_F(MainWindowTest, TheUsersButtonBringsTheClientsPageToTheFront)
{
    FrmMain& w = openWindow();
    QTest::mouseClick(w.imgTab(2), Qt::LeftButton);
    auto* users = w.findChild<QToolButton*>("imgUsers");
    ASSERT_NE(users, nullptr);
    EXPECT_EQ(users->accessibleName(), "Clients");
    QTest::mouseClick(users, Qt::LeftButton);
    EXPECT_EQ(tabsTopDown(w), expectedOrder(kClientsTab));
    EXPECT_EQ(topPage(w), kClientsTab);
}

TEST_F(MainWindowTest, PicturesComeFromTheApplicationFolderWithBuiltInFallbacks)
{
    copyShippedPictures(appFolder.path());
    std::filesystem::remove(appFolder.path() / "img" / "tab_cvars_on.gif");
    // An unreadable file counts as missing.
    {
        QFile broken(QString::fromStdString((appFolder.path() / "img" / "tab_sys_off.gif").string()));
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("not a picture");
    }
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
