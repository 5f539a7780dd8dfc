// The function, stats and options pages' own controls, offscreen: saving
// through the real input box, the drop-down, Run/Stop, and the sections.
#include "MainFixture.h"

#include "config/PresetFile.h"
#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <fstream>

using namespace ravelin;
using ravelin::test::MainWindowTest;
using ravelin::test::waitForQt;

namespace {

// Types `answer` into the next input box as soon as it is up, and accepts it.
void answerNextInputBox(const QString& answer)
{
    ravelin::test::onModal([answer](QWidget* modal) {
        auto* box = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->labelText(), "Enter a name for your new preset:");
        EXPECT_EQ(box->textValue(), "");
        box->setTextValue(answer);
        box->accept();
    });
}

struct FunctionPageTest : MainWindowTest {
    QtDialogs realDialogs;

    FrmMain& openWindow()
    {
        window = std::make_unique<FrmMain>(MainServices{bridge, probe, settings, realDialogs, appFolder.path()});
        window->load();
        window->show();
        return *window;
    }

    template <typename T>
    T* find(const char* name)
    {
        T* control = window->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    void writePreset(const std::string& file, const std::string& display, std::vector<std::string> commands)
    {
        std::filesystem::create_directories(appFolder.path() / "presets");
        std::ofstream(appFolder.path() / "presets" / (file + ".pst"), std::ios::binary)
            << *encodePreset({display, file, std::move(commands)});
    }

    void click(const char* name) { QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton); }

    QRect geometryOf(const char* name) { return find<QWidget>(name)->geometry(); }
};

} // namespace

TEST_F(FunctionPageTest, AComposedListIsSavedThroughTheInputBoxAndListedByItsName)
{
    openWindow();
    auto* value = find<QLineEdit>("txtComValue");
    auto* interval = find<QLineEdit>("txtInt");
    EXPECT_EQ(value->text(), "g_gravity 800");
    EXPECT_EQ(interval->text(), "1000");
    click("cmdAddItem");
    value->setText("say hello");
    interval->setText("2000");
    click("cmdAddItem");
    auto* lstCom = find<QListWidget>("lstCom");
    ASSERT_EQ(lstCom->count(), 2);
    EXPECT_EQ(lstCom->item(1)->text(), "say hello||2000");

    answerNextInputBox("Big Map Cycle");
    click("cmdSavePreset");
    auto* cbo = find<QComboBox>("cboPreset");
    ASSERT_EQ(cbo->count(), 1);
    EXPECT_EQ(cbo->itemText(0), "Big Map Cycle");
    EXPECT_EQ(cbo->currentIndex(), -1);
    const PresetReadResult saved = readPresetFile(appFolder.path() / "presets" / "Big_Map_Cycle.pst");
    ASSERT_TRUE(saved.record) << saved.error;
    EXPECT_EQ(saved.record->Commands, (std::vector<std::string>{"g_gravity 800||1000", "say hello||2000"}));

    lstCom->setCurrentRow(0);
    click("cmdRemoveComItem");
    ASSERT_EQ(lstCom->count(), 1);
    EXPECT_EQ(lstCom->item(0)->text(), "say hello||2000");
}

TEST_F(FunctionPageTest, RunSendsStopStopsAndChoosingAPresetStops)
{
    writePreset("b", "Second", {"say b||1000"});
    writePreset("a", "First", {"say one||200", "NOP||200", "say two||200"});
    openWindow();
    auto* cbo = find<QComboBox>("cboPreset");
    ASSERT_EQ(cbo->count(), 2);
    EXPECT_EQ(cbo->itemText(0), "First");
    EXPECT_EQ(cbo->itemText(1), "Second");

    click("imgFuncTog1");
    cbo->setCurrentIndex(0);
    emit cbo->activated(0);
    click("optRunAAI");
    QTimer* tmrAAI = timer("tmrAAI");
    EXPECT_TRUE(tmrAAI->isActive());
    EXPECT_EQ(tmrAAI->timerType(), Qt::PreciseTimer);
    EXPECT_FALSE(cbo->isEnabled());
    auto* lstExec = find<QListWidget>("lstExec");
    ASSERT_EQ(lstExec->count(), 4);
    EXPECT_EQ(lstExec->currentRow(), 0);

    // The rotation goes round at least once: lstExec shows the one sent last.
    ASSERT_TRUE(waitForQt([&] {
        const auto& e = console->entered();
        return std::count(e.begin(), e.end(), "say one") >= 2;
    }));
    EXPECT_EQ(lstExec->currentRow(), 1);
    EXPECT_EQ(tmrAAI->interval(), 200) << "each entry's wait is the timer's interval";

    click("optStopAAI");
    EXPECT_FALSE(tmrAAI->isActive());
    EXPECT_EQ(tmrAAI->interval(), 1000);
    EXPECT_TRUE(cbo->isEnabled());
    EXPECT_FALSE(find<QRadioButton>("optRunAAI")->isChecked());

    click("optRunAAI");
    ASSERT_TRUE(tmrAAI->isActive());
    emit cbo->activated(1);
    EXPECT_FALSE(tmrAAI->isActive());
    EXPECT_TRUE(find<QRadioButton>("optStopAAI")->isChecked());
    EXPECT_TRUE(cbo->isEnabled());
}

TEST_F(FunctionPageTest, TogglesExpandAndCollapseSectionsAndTheStackScrollsToItsBottom)
{
    openWindow();
    const char* titles[] = {"Create Assembly Instruction Preset", "Activate Assembly Instruction Preset",
                            "Client Filters", "Server Extention Scripts", "Script Debuger"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(find<QLabel>(qPrintable(QStringLiteral("lblFunc%1").arg(i)))->text(), titles[i]);

    // The arithmetic is SectionStackTest's; here the sections follow it.
    const QRect before1 = geometryOf("picFunc1");
    click("imgFuncTog0");
    EXPECT_EQ(geometryOf("picFunc0").height(), 155);
    EXPECT_EQ(geometryOf("picFunc1").top(), before1.top() + 140);
    click("imgFuncTog0");
    EXPECT_EQ(geometryOf("picFunc1"), before1);

    auto* vsb = find<QScrollBar>("vsbFunc");
    EXPECT_FALSE(vsb->isEnabled());
    EXPECT_EQ(vsb->maximum(), 1);
    for (int i = 0; i < 5; ++i)
        click(qPrintable(QStringLiteral("imgFuncTog%1").arg(i)));
    auto* scroll = find<QWidget>("picFuncScroll");
    const int visible = scroll->parentWidget()->height();
    EXPECT_TRUE(vsb->isEnabled());
    EXPECT_EQ(vsb->maximum(), scroll->height() - visible);
    vsb->setValue(vsb->maximum());
    EXPECT_EQ(scroll->y(), -vsb->maximum());
    EXPECT_LE(geometryOf("picFunc4").bottom() + scroll->y(), visible) << "the last section's bottom is on the page";
    EXPECT_EQ(geometryOf("picFunc0").top() + scroll->y(), 40 - vsb->maximum()) << "one container moves";

    for (int i = 0; i < 5; ++i)
        click(qPrintable(QStringLiteral("imgFuncTog%1").arg(i)));
    EXPECT_FALSE(vsb->isEnabled());
    EXPECT_EQ(scroll->y(), 0);

    // The stats page: two sections as wide as the space left of its scroll bar.
    EXPECT_EQ(find<QLabel>("lblStat0")->text(), "Internal Statistics");
    EXPECT_EQ(find<QLabel>("lblStat1")->text(), "Web Statistics");
    EXPECT_EQ(geometryOf("picStat0").width(), find<QScrollBar>("vsbMain")->x());
    click("imgToggle1");
    EXPECT_EQ(geometryOf("picStat1").height(), 125);
    EXPECT_EQ(geometryOf("picStat0").height(), 15);
}

TEST_F(FunctionPageTest, ReportSwitchSitsOnTheOptionsPageAndControlsTmrReport)
{
    openWindow();
    auto* chk = find<QCheckBox>("chkReport");
    EXPECT_EQ(chk->parentWidget(), window->picBase(4));
    EXPECT_EQ(chk->text(), "Echo RAM Status to Players");
    EXPECT_TRUE(chk->isChecked());
    EXPECT_TRUE(timer("tmrReport")->isActive());
    QTest::mouseClick(chk, Qt::LeftButton);
    EXPECT_FALSE(timer("tmrReport")->isActive());
    QTest::mouseClick(chk, Qt::LeftButton);
    EXPECT_TRUE(timer("tmrReport")->isActive());
}

TEST_F(FunctionPageTest, EveryControlHasItsCaptionAndAnAccessibleName)
{
    openWindow();
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {
        {"cmdAddItem", "Add Command"},      {"cmdRemoveComItem", "Remove"}, {"cmdClearComList", "Clear List"},
        {"cmdSavePreset", "Save Preset"},   {"optRunAAI", "Run"},           {"optStopAAI", "Stop"},
        {"cmdInitScripts", "Re-Initialize"}};
    for (const auto& b : buttons) {
        EXPECT_EQ(find<QAbstractButton>(b.name)->text(), b.caption);
        EXPECT_EQ(find<QAbstractButton>(b.name)->accessibleName(), b.caption);
    }
    const struct {
        const char* name;
        const char* label;
    } boxes[] = {{"lstCom", "Command List :"},     {"txtInt", "Interval (in ms) :"},
                 {"cboPreset", "Preset to Run :"}, {"lstExec", "Last Instruction Executed:"},
                 {"txtDebug", "Output :"},         {"lstScripts", "Procedures Loaded:"}};
    for (const auto& b : boxes)
        EXPECT_EQ(find<QWidget>(b.name)->accessibleName(), b.label);
    EXPECT_FALSE(find<QWidget>("txtComValue")->accessibleName().isEmpty());
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(find<QToolButton>(qPrintable(QStringLiteral("imgFuncTog%1").arg(i)))->toolTip().isEmpty());
    // Nothing is chosen before the first run: Stop shows selected.
    EXPECT_TRUE(find<QRadioButton>("optStopAAI")->isChecked());
}
