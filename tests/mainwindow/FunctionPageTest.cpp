// The function, stats and options pages' own controls, offscreen: saving
// through the real input box, the drop-down, Run/Stop, and the sections.
#include "MainFixture.h"

#include "platform/qt/QtDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

using namespace ravelin;
using ravelin::test::MainWindowTest;
using ravelin::test::waitForQt;

namespace {

struct FunctionPageTest : MainWindowTest {
    QtDialogs realDialogs;

    FrmMain& openWindow()
    {
        return MainWindowTest::openWindow(MainServices{bridge, probe, settings, realDialogs, appFolder.path()});
    }

    void click(const QString& name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }

    QRect geometryOf(const QString& name) { return child<QWidget>(name)->geometry(); }
};

} // namespace

TEST_F(FunctionPageTest, AComposedListIsSavedThroughTheInputBoxAndListedByItsName)
{
    openWindow();
    auto* value = child<QLineEdit>("txtComValue");
    auto* interval = child<QLineEdit>("txtInt");
    EXPECT_EQ(value->text(), "g_gravity 800");
    EXPECT_EQ(interval->text(), "1000");
    click("cmdAddItem");
    value->setText("say hello");
    interval->setText("2000");
    click("cmdAddItem");
    auto* lstCom = child<QListWidget>("lstCom");
    ASSERT_EQ(lstCom->count(), 2);
    EXPECT_EQ(lstCom->item(1)->text(), "say hello||2000");

    ravelin::test::onModal([](QWidget* modal) {
        auto* box = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->labelText(), "Enter a name for your new preset:");
        EXPECT_EQ(box->textValue(), "");
        box->setTextValue("Big Map Cycle");
        box->accept();
    });
    click("cmdSavePreset");
    auto* cbo = child<QComboBox>("cboPreset");
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

TEST_F(FunctionPageTest, RunSendsAndStopStops)
{
    test::writePreset(appFolder.path(), "b", "Second", {"say b||1000"});
    test::writePreset(appFolder.path(), "a", "First", {"say one||200", "NOP||200", "say two||200"});
    openWindow();
    auto* cbo = child<QComboBox>("cboPreset");
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
    auto* lstExec = child<QListWidget>("lstExec");
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
    EXPECT_FALSE(child<QRadioButton>("optRunAAI")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("optStopAAI")->isChecked());
}

TEST_F(FunctionPageTest, SectionsToggleAndScrollAndControlsAreCaptionedAndNamed)
{
    openWindow();
    const char* titles[] = {"Create Assembly Instruction Preset", "Activate Assembly Instruction Preset",
                            "Client Filters", "Server Extention Scripts", "Script Debuger"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(child<QLabel>(QStringLiteral("lblFunc%1").arg(i))->text(), titles[i]);

    // The arithmetic is SectionStackTest's; here the sections follow it.
    const QRect before1 = geometryOf("picFunc1");
    click("imgFuncTog0");
    EXPECT_EQ(geometryOf("picFunc0").height(), 155);
    EXPECT_EQ(geometryOf("picFunc1").top(), before1.top() + 140);
    click("imgFuncTog0");
    EXPECT_EQ(geometryOf("picFunc1"), before1);

    auto* vsb = child<QScrollBar>("vsbFunc");
    EXPECT_FALSE(vsb->isEnabled());
    EXPECT_EQ(vsb->maximum(), 1);
    for (int i = 0; i < 5; ++i)
        click(QStringLiteral("imgFuncTog%1").arg(i));
    auto* scroll = child<QWidget>("picFuncScroll");
    const int visible = scroll->parentWidget()->height();
    EXPECT_TRUE(vsb->isEnabled());
    EXPECT_EQ(vsb->maximum(), scroll->height() - visible);
    vsb->setValue(vsb->maximum());
    EXPECT_EQ(scroll->y(), -vsb->maximum());
    EXPECT_LE(geometryOf("picFunc4").bottom() + scroll->y(), visible) << "the last section's bottom is on the page";
    EXPECT_EQ(geometryOf("picFunc0").top() + scroll->y(), 40 - vsb->maximum()) << "one container moves";

    for (int i = 0; i < 5; ++i)
        click(QStringLiteral("imgFuncTog%1").arg(i));
    EXPECT_FALSE(vsb->isEnabled());
    EXPECT_EQ(scroll->y(), 0);

    // The stats page: two sections as wide as the space left of its scroll bar.
    EXPECT_EQ(child<QLabel>("lblStat0")->text(), "Internal Statistics");
    EXPECT_EQ(child<QLabel>("lblStat1")->text(), "Web Statistics");
    EXPECT_EQ(geometryOf("picStat0").width(), child<QScrollBar>("vsbMain")->x());
    click("imgToggle1");
    EXPECT_EQ(geometryOf("picStat1").height(), 125);
    EXPECT_EQ(geometryOf("picStat0").height(), 15);

    // Buttons show their captions and are named by them; boxes by their labels.
    const char* const buttons[][2] = {
        {"cmdAddItem", "Add Command"},      {"cmdRemoveComItem", "Remove"}, {"cmdClearComList", "Clear List"},
        {"cmdSavePreset", "Save Preset"},   {"optRunAAI", "Run"},           {"optStopAAI", "Stop"},
        {"cmdInitScripts", "Re-Initialize"}};
    for (const auto& [name, caption] : buttons) {
        EXPECT_EQ(child<QAbstractButton>(name)->text(), caption);
        EXPECT_EQ(child<QAbstractButton>(name)->accessibleName(), caption);
    }
    const char* const boxes[][2] = {{"lstCom", "Command List :"},     {"txtInt", "Interval (in ms) :"},
                                    {"cboPreset", "Preset to Run :"}, {"lstExec", "Last Instruction Executed:"},
                                    {"txtDebug", "Output :"},         {"lstScripts", "Procedures Loaded:"}};
    for (const auto& [name, label] : boxes)
        EXPECT_EQ(child<QWidget>(name)->accessibleName(), label);
    // Nothing is chosen before the first run: Stop shows selected.
    EXPECT_TRUE(child<QRadioButton>("optStopAAI")->isChecked());

    // The report switch sits on the options page and drives tmrReport.
    auto* chk = child<QCheckBox>("chkReport");
    EXPECT_EQ(chk->parentWidget(), window->picBase(4));
    EXPECT_EQ(chk->text(), "Echo RAM Status to Players");
    EXPECT_TRUE(chk->isChecked());
    EXPECT_TRUE(timer("tmrReport")->isActive());
    QTest::mouseClick(chk, Qt::LeftButton);
    EXPECT_FALSE(timer("tmrReport")->isActive());
    QTest::mouseClick(chk, Qt::LeftButton);
    EXPECT_TRUE(timer("tmrReport")->isActive());
}
