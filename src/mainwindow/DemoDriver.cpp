#include "mainwindow/DemoDriver.h"

#include "config/PresetFolder.h"
#include "config/SectionStack.h"
#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "mainwindow/TabOrder.h"
#include "platform/qt/Accessible.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace ravelin {

namespace {

constexpr int kSysTab = 1;
constexpr int kStatsTab = 2;
constexpr int kFunctionTab = 3;
// The preset the demo runs on the function page.
constexpr const char* kDemoPreset = "Demo Rotation";

QWidget* visibleTopLevel(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

[[noreturn]] void finish(int code, const QString& message)
{
    std::FILE* out = code == 0 ? stdout : stderr;
    if (!message.isEmpty())
        std::fprintf(out, "%s%s\n", code == 0 ? "" : "ravelin: ", message.toLocal8Bit().constData());
    std::fflush(nullptr);
    // The same immediate end as the start window's Quit: no window event
    // may run on a half-closed program.
    std::_Exit(code);
}

// A person's click: press and release in the middle of the widget.
void clickWidget(QWidget* widget)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->click();
        return;
    }
    accessible::clickInTheMiddle(widget);
}

QString displayText(QWidget* display)
{
    if (auto* plain = qobject_cast<QPlainTextEdit*>(display))
        return plain->toPlainText();
    if (auto* rich = qobject_cast<QTextEdit*>(display))
        return rich->toPlainText();
    return {};
}

class DemoDriver final : public QObject {
public:
    DemoDriver(ConsoleBridge& bridge, CvarProbe& probe, std::filesystem::path appFolder)
        : m_bridge(bridge), m_probe(probe), m_appFolder(std::move(appFolder))
    {}

    QString connectTo;
    QString screenshots;
    bool reportStart = false;
    int timeoutSeconds = 60;
    // --linger: seconds to stay connected before the screenshots.
    int lingerSeconds = 0;
    // --leave: the shutdown dialog's way to leave through at the end, -1 none.
    int leaveWay = -1;

    void start()
    {
        if (!screenshots.isEmpty())
            writeDemoPreset();
        m_clock.start();
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
        m_timer.start(20);
    }

private:
    enum class Stage { Start, WaitMain, WaitOutput, Linger, Tabs, OpenShutdown, ShutdownDialog, WaitReturn };

    void fail(const QString& reason) { finish(1, reason); }

    void save(QWidget* widget, const QString& file)
    {
        const QString path = QDir(screenshots).filePath(file);
        if (!widget->grab().save(path, "PNG"))
            fail("could not write " + path);
        std::printf("screenshot: %s\n", path.toLocal8Bit().constData());
        std::fflush(stdout);
    }

    void tick()
    {
        if (m_clock.elapsed() > qint64(timeoutSeconds) * 1000)
            fail(stageTimeoutReason());
        if (m_busy)
            return; // a click below is still inside a yield
        m_busy = true;
        switch (m_stage) {
        case Stage::Start: startStage(); break;
        case Stage::WaitMain:
            if (visibleTopLevel("frmMain"))
                m_stage = Stage::WaitOutput;
            break;
        case Stage::WaitOutput: outputStage(); break;
        case Stage::Tabs: tabStage(); break;
        case Stage::Linger:
        case Stage::OpenShutdown:
        case Stage::ShutdownDialog:
        case Stage::WaitReturn: leaveStages(); break;
        }
        m_busy = false;
    }

    QString stageTimeoutReason() const
    {
        switch (m_stage) {
        case Stage::Start: return "neither the start window nor the main window appeared";
        case Stage::WaitMain: return "the main window did not appear after Connect";
        case Stage::WaitOutput: return "the console page showed no server output";
        case Stage::Tabs: break;
        case Stage::Linger:
        case Stage::OpenShutdown: return "the main window could not be left";
        case Stage::ShutdownDialog: return "the shutdown dialog did not carry out its way";
        case Stage::WaitReturn: return "the start window did not come back";
        }
        return "the main window's tabs could not be captured";
    }

    void startStage()
    {
        if (visibleTopLevel("frmMain")) {
            if (reportStart) {
                const std::string host = m_probe.GetCvarValue(m_bridge.SelectedConsole(), "sv_hostname");
                finish(0, "connected: " + QString::fromLatin1(host.c_str()));
            }
            fail("the main window opened by itself; the start window was never shown");
        }
        QWidget* splash = visibleTopLevel("frmSplash");
        if (!splash)
            return;
        auto* tree = splash->findChild<QTreeWidget*>("tvMain");
        if (!tree || tree->topLevelItemCount() == 0)
            return;
        QTreeWidgetItem* machine = tree->topLevelItem(0);
        if (reportStart) {
            QString lines;
            for (int i = 0; i < machine->childCount(); ++i)
                lines += "listed: " + machine->child(i)->text(0) + (i + 1 < machine->childCount() ? "\n" : "");
            // Machines reached over ssh follow, each with its consoles.
            for (int m = 1; m < tree->topLevelItemCount(); ++m) {
                QTreeWidgetItem* far = tree->topLevelItem(m);
                lines += (lines.isEmpty() ? "" : "\n") + QString("machine: ") + far->text(0);
                for (int i = 0; i < far->childCount(); ++i)
                    lines += "\n  listed: " + far->child(i)->text(0);
            }
            finish(0, lines);
        }
        if (!screenshots.isEmpty())
            save(splash, "start-window.png");
        if (connectTo.isEmpty())
            finish(0, {});
        const QString wanted = "Quake 3 Arena [" + connectTo + "]";
        QTreeWidgetItem* target = nullptr;
        for (int m = 0; m < tree->topLevelItemCount() && !target; ++m)
            for (int i = 0; i < tree->topLevelItem(m)->childCount() && !target; ++i)
                if (tree->topLevelItem(m)->child(i)->text(0) == wanted)
                    target = tree->topLevelItem(m)->child(i);
        if (!target)
            fail("the start window does not list \"" + wanted + "\"");
        tree->setCurrentItem(target);
        auto* button = splash->findChild<QWidget*>("imgConnect");
        if (!button)
            fail("the start window has no Connect button");
        m_stage = Stage::WaitMain;
        clickWidget(button);
    }

    void outputStage()
    {
        QWidget* main = visibleTopLevel("frmMain");
        if (!main)
            fail("the main window closed");
        auto* display = main->findChild<QWidget*>("txtDisplay");
        if (!display)
            fail("the main window has no console display");
        if (displayText(display).trimmed().isEmpty())
            return;
        if (screenshots.isEmpty() && leaveWay < 0)
            finish(0, "connected: console output is showing");
        m_lingerUntil = m_clock.elapsed() + qint64(lingerSeconds) * 1000;
        m_stage = Stage::Linger;
    }

    // Each tab is clicked, set to work as an operator would, and captured
    // only once it shows that work: never on a timer.
    void tabStage()
    {
        QWidget* main = visibleTopLevel("frmMain");
        if (!main)
            fail("the main window closed");
        if (m_tab == kTabCount) {
            // Back to the console page, as a person would leave it.
            if (auto* first = main->findChild<QWidget*>("imgTab0"))
                clickWidget(first);
            if (leaveWay < 0)
                finish(0, "screenshots written to " + QDir(screenshots).absolutePath());
            std::printf("screenshots written to %s\n", QDir(screenshots).absolutePath().toLocal8Bit().constData());
            m_stage = Stage::OpenShutdown;
            return;
        }
        if (!m_tabClicked) {
            auto* tab = main->findChild<QWidget*>(QString("imgTab%1").arg(m_tab));
            if (!tab)
                fail(QString("the main window has no tab %1").arg(m_tab));
            m_tabClicked = true;
            m_setUp = false;
            clickWidget(tab);
            return;
        }
        if (!pageAtWork(main, m_tab))
            return;
        save(main, QString("tab-%1-%2.png").arg(m_tab).arg(kTabNames[static_cast<std::size_t>(m_tab)]));
        if (m_tab == kStatsTab)
            saveWebStatistics(main);
        ++m_tab;
        m_tabClicked = false;
    }

    // Sets the page in front to work (once) and says whether it shows it.
    bool pageAtWork(QWidget* main, int tab)
    {
        const bool first = !m_setUp;
        m_setUp = true;
        switch (tab) {
        case kSysTab:
            for (auto* label : main->findChildren<QLabel*>())
                if (label->text() == "Loading...")
                    return false;
            return true;
        case kStatsTab: {
            // The statistics are shown open, once the game gave a frag.
            if (first)
                toggleSection(main, 0);
            auto* players = main->findChild<QTableWidget*>("lvStatsPlayers");
            auto* refresh = main->findChild<QPushButton*>("cmdStatsRefresh");
            if (!players || !refresh)
                fail("the stats page lacks its players table or Refresh button");
            refresh->click();
            for (int row = 0; row < players->rowCount(); ++row)
                if (auto* kills = players->item(row, 1); kills && kills->text().toInt() > 0)
                    return true;
            return false;
        }
        case kFunctionTab: {
            auto* presets = main->findChild<QComboBox*>("cboPreset");
            auto* run = main->findChild<QRadioButton*>("optRunAAI");
            auto* executed = main->findChild<QListWidget*>("lstExec");
            if (!presets || !run || !executed)
                fail("the function page lacks its preset controls");
            if (first) {
                openEverySection(main);
                const int index = presets->findText(kDemoPreset);
                if (index < 0)
                    fail(QString("the function page does not list the preset \"%1\"").arg(kDemoPreset));
                presets->setCurrentIndex(index);
                emit presets->activated(index);
                clickWidget(run);
            }
            return executed->count() > 0;
        }
        case kClientsTab: {
            auto* monitor = main->findChild<QCheckBox*>("chkClient");
            auto* roster = main->findChild<QListWidget*>("lstClients");
            if (!monitor || !roster)
                fail("the clients page lacks its monitoring box or roster");
            if (first && !monitor->isChecked())
                clickWidget(monitor);
            // At work once the STATUS table gave every player its slot.
            if (roster->count() < 2)
                return false;
            for (int i = 0; i < roster->count(); ++i)
                if (roster->item(i)->text().startsWith(' '))
                    return false;
            return true;
        }
        case kCvarsTab: {
            auto* table = main->findChild<QTreeWidget*>("lvCVars");
            return table && table->topLevelItemCount() > 0;
        }
        default: return true;
        }
    }

    // Clicks the toggle of every collapsed section of the function page.
    static void openEverySection(QWidget* main)
    {
        for (int i = 0;; ++i) {
            auto* section = main->findChild<QWidget*>(QString("picFunc%1").arg(i));
            auto* toggle = main->findChild<QWidget*>(QString("imgFuncTog%1").arg(i));
            if (!section || !toggle)
                return;
            if (section->height() <= kCollapsedSectionHeight + 1)
                clickWidget(toggle);
        }
    }

    // A saved timed command list for the function page to run.
    void writeDemoPreset()
    {
        const std::filesystem::path folder = m_appFolder / kPresetFolderName;
        PresetRecord record{kDemoPreset,
                            SanitizePresetName(kDemoPreset),
                            {"say Welcome to the demo arena||5000", "g_gravity 800||5000"}};
        std::error_code ec;
        if (!std::filesystem::exists(folder / (record.FileName + kPresetExtension), ec))
            savePresetFile(folder, record);
    }

    void toggleSection(QWidget* main, int index)
    {
        if (auto* toggle = main->findChild<QWidget*>(QString("imgToggle%1").arg(index)))
            clickWidget(toggle);
        else
            fail(QString("the stats page has no section %1").arg(index));
    }

    // The web section's picture: the first section closed, the second open.
    void saveWebStatistics(QWidget* main)
    {
        toggleSection(main, 0);
        toggleSection(main, 1);
        save(main, "stats-web.png");
        toggleSection(main, 1);
    }

    // Staying connected a while (the sys page gathers ticks), then leaving
    // through the shutdown dialog: its picture is taken, the way chosen and
    // Ok pressed. Ways that end the program end it here; the others must
    // bring the start window back.
    void leaveStages()
    {
        QWidget* main = visibleTopLevel("frmMain");
        switch (m_stage) {
        case Stage::Linger:
            if (m_clock.elapsed() < m_lingerUntil)
                return;
            if (!screenshots.isEmpty()) {
                m_stage = Stage::Tabs;
                return;
            }
            m_stage = Stage::OpenShutdown;
            return;
        case Stage::OpenShutdown: {
            if (!main)
                fail("the main window closed");
            QWidget* quit = main->findChild<QWidget*>("imgQuit");
            if (!quit)
                fail("the main window has no quit image");
            m_stage = Stage::ShutdownDialog;
            // The dialog is modal: clicked from the event loop, not from inside this tick.
            QTimer::singleShot(0, quit, [quit] { clickWidget(quit); });
            return;
        }
        case Stage::ShutdownDialog: {
            QWidget* dialog = visibleTopLevel("frmShutdown");
            if (!dialog || m_okPressed)
                return;
            if (!screenshots.isEmpty())
                save(dialog, "shutdown-dialog.png");
            auto* option =
                qobject_cast<QAbstractButton*>(dialog->findChild<QWidget*>(QString("optDown%1").arg(leaveWay)));
            auto* ok = qobject_cast<QAbstractButton*>(dialog->findChild<QWidget*>("cmdOk"));
            if (!option || !ok)
                fail("the shutdown dialog lacks its options or Ok");
            option->setChecked(true);
            std::printf("leaving: %s\n", option->text().toLocal8Bit().constData());
            std::fflush(stdout);
            m_okPressed = true;
            m_stage = Stage::WaitReturn;
            QTimer::singleShot(0, ok, [ok] { ok->click(); });
            return;
        }
        case Stage::WaitReturn: {
            QWidget* splash = visibleTopLevel("frmSplash");
            if (!splash || visibleTopLevel("frmMain"))
                return;
            auto* tree = splash->findChild<QTreeWidget*>("tvMain");
            if (!tree || tree->topLevelItemCount() == 0)
                return;
            QString lines = "back at the start window";
            QTreeWidgetItem* machine = tree->topLevelItem(0);
            for (int i = 0; i < machine->childCount(); ++i)
                lines += "\nlisted: " + machine->child(i)->text(0);
            finish(0, lines);
        }
        default: return;
        }
    }

    ConsoleBridge& m_bridge;
    CvarProbe& m_probe;
    std::filesystem::path m_appFolder;
    bool m_tabClicked = false;
    bool m_setUp = false;
    qint64 m_lingerUntil = 0;
    bool m_okPressed = false;
    QTimer m_timer;
    QElapsedTimer m_clock;
    Stage m_stage = Stage::Start;
    int m_tab = 0;
    bool m_busy = false;
};

} // namespace

bool startDemoDriver(const QStringList& arguments, ConsoleBridge& bridge, CvarProbe& probe,
                     const std::filesystem::path& appFolder)
{
    auto* driver = new DemoDriver(bridge, probe, appFolder);
    bool wanted = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (arg == "--report-start") {
            driver->reportStart = wanted = true;
        } else if (arg == "--connect" && hasValue) {
            driver->connectTo = arguments[++i];
            wanted = true;
        } else if (arg == "--screenshots" && hasValue) {
            driver->screenshots = arguments[++i];
            wanted = true;
        } else if (arg == "--linger" && hasValue) {
            driver->lingerSeconds = arguments[++i].toInt();
        } else if (arg == "--leave" && hasValue) {
            driver->leaveWay = arguments[++i].toInt();
        } else if (arg == "--driver-timeout" && hasValue) {
            driver->timeoutSeconds = arguments[++i].toInt();
        }
    }
    if (!wanted) {
        delete driver;
        return false;
    }
    if (driver->leaveWay > 3)
        finish(1, "--leave takes a way from 0 to 3");
    if (driver->leaveWay >= 0 && driver->connectTo.isEmpty())
        finish(1, "--leave needs --connect NAME");
    if (!driver->screenshots.isEmpty()) {
        if (driver->connectTo.isEmpty())
            finish(1, "--screenshots needs --connect NAME");
        if (!QDir().mkpath(driver->screenshots))
            finish(1, "cannot create the screenshot folder " + driver->screenshots);
    }
    if (driver->timeoutSeconds <= 0)
        driver->timeoutSeconds = 60;
    driver->setParent(QCoreApplication::instance());
    driver->start();
    return true;
}

} // namespace ravelin
