// The console window on an offscreen display: the output box keeps to the
// newest line until the operator scrolls up; the person's half-typed line
// survives a client's command.
#include "consolehost/ConsoleWindow.h"
#include "mainwindow/QtTestApp.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
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

TEST(ConsoleWindowTest, AClientsCommandLeavesThePersonsHalfTypedLine)
{
    ConsoleModel model;
    ConsoleWindow window(model);
    ConsoleModel::Events events;
    events.inputChanged = [&] { window.inputChanged(); };
    events.inputTyped = [&](char character) { window.inputTyped(character); };
    events.inputEntered = [&] { window.inputEntered(); };
    model.setEvents(std::move(events));
    window.show();
    auto* input = window.findChild<QLineEdit*>("input");

    QTest::keyClicks(input, "map oa_dm");
    model.setInput("say hello"); // a client, as the bridge types
    model.enter();
    EXPECT_EQ(model.takeQueuedLine(), "say hello\n");
    EXPECT_EQ(input->text(), "map oa_dm");
    EXPECT_EQ(model.input(), "map oa_dm");

    model.setInput(""); // a client typing by characters into a box it emptied
    for (char c : std::string("kick 3\r"))
        model.typeChar(c);
    EXPECT_EQ(model.takeQueuedLine(), "kick 3\n");
    EXPECT_EQ(input->text(), "map oa_dm");

    QTest::keyClicks(input, "1");
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_EQ(model.takeQueuedLine(), "map oa_dm1\n");
    model.setInput("status");
    model.enter();
    EXPECT_EQ(model.takeQueuedLine(), "status\n");
    EXPECT_EQ(input->text(), "") << "an entered line does not come back";

    QTest::keyClicks(input, "say ");
    for (char c : std::string("hi\r")) // a client typing onto the person's line
        model.typeChar(c);
    EXPECT_EQ(model.takeQueuedLine(), "say hi\n");
    EXPECT_EQ(input->text(), "") << "a line sent as a whole does not come back";
}
