#include "mainwindow/FunctionPage.h"

#include "mainwindow/MainSession.h"
#include "mainwindow/SectionStackWidget.h"
#include "mainwindow/StatsSections.h"
#include "platform/qt/OutputBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace ravelin {

namespace {

QString latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
std::string bytes(const QString& text) { return text.toLatin1().toStdString(); }

QFont fixedFont() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

QLabel* addLabel(const QString& text, QWidget* parent, int x, int y, int w = 200)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, w, 18);
    return label;
}

template <typename Control>
Control* named(Control* control, const char* name, const QString& accessible)
{
    control->setObjectName(name);
    control->setAccessibleName(accessible);
    return control;
}

QPushButton* addButton(const char* caption, const char* name, QWidget* parent, int x, int y, int w = 110)
{
    auto* button = named(new QPushButton(caption, parent), name, caption);
    button->setGeometry(x, y, w, 24);
    return button;
}

void fillList(QListWidget* list, const std::vector<std::string>& entries)
{
    list->clear();
    for (const std::string& entry : entries)
        list->addItem(latin1(entry));
}

} // namespace

FunctionPage::FunctionPage(MainSession& session, QWidget* page)
    : QWidget(page), m_session(session), m_list(session.timedCommands())
{
    setGeometry(page->contentsRect());
    m_stack = new SectionStackWidget(
        session, SectionPanel::Function,
        {"Environment Functions", "imgFuncTog", "picFunc", "lblFuncBase", "lblFunc", "picFuncScroll", "vsbFunc"},
        {kFuncSectionTitles.begin(), kFuncSectionTitles.end()}, this);
    buildComposer(m_stack->section(0));
    buildRunner(m_stack->section(1));
    buildScripts(m_stack->section(3));
    buildDebug(m_stack->section(4));
    m_list.setView(this);
}

void FunctionPage::buildComposer(QWidget* s)
{
    const int w = m_stack->sectionWidth();
    addLabel("Command List :", s, 8, 18)->setObjectName("Label11");
    m_lstCom = named(new QListWidget(s), "lstCom", "Command List :");
    m_lstCom->setFont(fixedFont());
    m_lstCom->setGeometry(8, 36, 380, 112);

    const int x = 400;
    addLabel("Command :", s, x, 18)->setObjectName("lblComValue");
    m_txtComValue = named(new QLineEdit("g_gravity 800", s), "txtComValue", "Command :");
    m_txtComValue->setGeometry(x, 36, w - x - 8, 24);
    addLabel("Interval (in ms) :", s, x, 66, 120)->setObjectName("Label12");
    m_txtInt = named(new QLineEdit("1000", s), "txtInt", "Interval (in ms) :");
    m_txtInt->setGeometry(x + 124, 64, 80, 24);

    auto* add = addButton("Add Command", "cmdAddItem", s, x, 94);
    connect(add, &QPushButton::clicked, this,
            [this] { m_list.cmdAddItem_Click(bytes(m_txtComValue->text()), bytes(m_txtInt->text())); });
    auto* remove = addButton("Remove", "cmdRemoveComItem", s, x + 116, 94, 80);
    connect(remove, &QPushButton::clicked, this, [this] { m_list.cmdRemoveComItem_Click(m_lstCom->currentRow()); });
    auto* clear = addButton("Clear List", "cmdClearComList", s, x + 202, 94, 90);
    connect(clear, &QPushButton::clicked, this, [this] { m_list.cmdClearComList_Click(); });
    auto* save = addButton("Save Preset", "cmdSavePreset", s, x, 124);
    connect(save, &QPushButton::clicked, this, [this] { m_list.cmdSavePreset_Click(); });
}

void FunctionPage::buildRunner(QWidget* s)
{
    const int w = m_stack->sectionWidth();
    addLabel("Preset to Run :", s, 8, 20);
    m_cboPreset = named(new QComboBox(s), "cboPreset", "Preset to Run :");
    m_cboPreset->setGeometry(8, 40, 300, 26);
    connect(m_cboPreset, &QComboBox::activated, this, [this](int index) { m_list.cboPreset_Click(index); });

    m_optRunAAI = named(new QRadioButton("Run", s), "optRunAAI", "Run");
    m_optRunAAI->setGeometry(8, 76, 70, 22);
    m_optStopAAI = named(new QRadioButton("Stop", s), "optStopAAI", "Stop");
    m_optStopAAI->setGeometry(84, 76, 70, 22);
    connect(m_optRunAAI, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_list.optRunAAI_Click();
    });
    connect(m_optStopAAI, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_list.optStopAAI_Click();
    });

    addLabel("Last Instruction Executed:", s, 330, 20);
    m_lstExec = named(new QListWidget(s), "lstExec", "Last Instruction Executed:");
    m_lstExec->setFont(fixedFont());
    m_lstExec->setGeometry(330, 40, w - 338, 78);
}

// The script host's controls.
void FunctionPage::buildScripts(QWidget* s)
{
    const int w = m_stack->sectionWidth();
    addLabel("Procedures Loaded:", s, 8, 18);
    m_lstScripts = named(new QListWidget(s), "lstScripts", "Procedures Loaded:");
    m_lstScripts->setGeometry(8, 36, 340, 112);

    const int x = 360;
    addLabel("Last Proc. Called:", s, x, 18);
    m_txtLastProc = named(new QLineEdit(s), "txtLastProc", "Last Proc. Called:");
    m_txtLastProc->setReadOnly(true);
    m_txtLastProc->setGeometry(x, 36, w - x - 8, 24);
    addLabel("Data Passed:", s, x, 64);
    m_txtLastData = named(new QLineEdit(s), "txtLastData", "Data Passed:");
    m_txtLastData->setReadOnly(true);
    m_txtLastData->setGeometry(x, 82, w - x - 8, 24);
    m_cmdInitScripts = addButton("Re-Initialize", "cmdInitScripts", s, x, 118, 140);
    connect(m_cmdInitScripts, &QPushButton::clicked, this, [this] { m_session.cmdInitScripts_Click(); });

    // The console procedures the scripts define: consulted by the pump,
    // never shown.
    m_lstConsoleProc = new QListWidget(s);
    m_lstConsoleProc->setObjectName("lstConsoleProc");
    m_lstConsoleProc->hide();
}

void FunctionPage::buildDebug(QWidget* s)
{
    addLabel("Output :", s, 8, 18);
    m_txtDebug = named(new OutputBox(s), "txtDebug", "Output :");
    // A script failing on every console line writes two lines for each; kept
    // whole, a busy server would fill memory within days. The newest lines
    // stay (the last block is the empty one after the final line break).
    m_txtDebug->setMaximumBlockCount(kDebugLinesKept + 1);
    m_txtDebug->setFont(fixedFont());
    m_txtDebug->setGeometry(8, 36, m_stack->sectionWidth() - 16, 112);
}

void FunctionPage::showComList(const std::vector<std::string>& entries)
{
    const int row = m_lstCom->currentRow();
    fillList(m_lstCom, entries);
    // After a removal the neighbour stays selected, so Remove can be pressed again.
    if (row >= 0 && m_lstCom->count() > 0)
        m_lstCom->setCurrentRow(std::min(row, m_lstCom->count() - 1));
}

void FunctionPage::showPresets(const std::vector<std::string>& names, int chosen)
{
    m_cboPreset->clear();
    for (const std::string& name : names)
        m_cboPreset->addItem(latin1(name));
    m_cboPreset->setCurrentIndex(chosen);
}

void FunctionPage::setPresetChoiceEnabled(bool enabled) { m_cboPreset->setEnabled(enabled); }

// Shown without running the option's own click.
void FunctionPage::showRunning(bool running)
{
    const QSignalBlocker blockRun(m_optRunAAI);
    const QSignalBlocker blockStop(m_optStopAAI);
    (running ? m_optRunAAI : m_optStopAAI)->setChecked(true);
}

void FunctionPage::showExecList(const std::vector<std::string>& entries) { fillList(m_lstExec, entries); }

void FunctionPage::selectExec(int index)
{
    m_lstExec->setCurrentRow(index);
    if (QListWidgetItem* item = m_lstExec->currentItem())
        m_lstExec->scrollToItem(item);
}

StatsPage::StatsPage(MainSession& session, QWidget* page) : QWidget(page)
{
    setGeometry(page->contentsRect());
    m_stack =
        new SectionStackWidget(session, SectionPanel::Stats,
                               {"Statistics", "imgToggle", "picStat", "lblStatBase", "lblStat", "picScroll", "vsbMain"},
                               {kStatsSectionTitles.begin(), kStatsSectionTitles.end()}, this);
    m_internal = new InternalStatsSection(session.statistics(), m_stack->section(0), m_stack->sectionWidth(),
                                          kStatsSectionHeights[0]);
    m_web = new WebStatsSection(session.statistics(), m_stack->section(1), m_stack->sectionWidth(),
                                kStatsSectionHeights[1]);
}

void buildReportOption(MainSession& session, QWidget* optionsPage)
{
    auto* check =
        named(new QCheckBox("Echo RAM Status to Players", optionsPage), "chkReport", "Echo RAM Status to Players");
    check->setGeometry(24, 196, 320, 24);
    check->setChecked(true);
    QObject::connect(check, &QCheckBox::clicked, optionsPage,
                     [&session](bool checked) { session.timedCommands().chkReport_Click(checked); });
}

} // namespace ravelin
