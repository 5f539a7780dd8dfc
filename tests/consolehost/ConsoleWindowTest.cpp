// The console window's output box on an offscreen display: it keeps to the
// newest line, also when the lines came while it was hidden, until the
// operator scrolls up; scrolling back down follows again.
#include "consolehost/ConsoleWindow.h"
#include "mainwindow/QtTestApp.h"

#include <QPlainTextEdit>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace ravelin::consolehost;
using ravelin::test::waitForQt;

namespace {

void print(ConsoleWindow& window, int from, int count)
{
    std::string text;
    for (int i = from; i < from + count; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    window.outputChanged(false, text);
}

} // namespace

TEST(ConsoleWindowTest, TheOutputFollowsTheNewestLineUntilTheOperatorScrollsUp)
{
    ConsoleModel model;
    ConsoleWindow window(model);
    window.resize(500, 300);
    auto* bar = window.findChild<QPlainTextEdit*>("output")->verticalScrollBar();
    auto atEnd = [&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); };

    print(window, 1, 400); // while hidden, as for a console Ravelin hid
    window.show();
    EXPECT_TRUE(waitForQt(atEnd)) << bar->value() << " of " << bar->maximum();

    bar->setValue(10); // the operator reads back
    print(window, 401, 50);
    EXPECT_EQ(bar->value(), 10);

    bar->setValue(bar->maximum());
    print(window, 451, 50);
    EXPECT_TRUE(waitForQt(atEnd)) << bar->value() << " of " << bar->maximum();

    window.hide();
    print(window, 501, 200);
    window.show();
    EXPECT_TRUE(waitForQt(atEnd)) << bar->value() << " of " << bar->maximum();
}
