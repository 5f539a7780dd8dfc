// The start window "Ravelin Server List": lists every server console on this
// machine by host name, connects to the chosen one (or, at a fresh start, to
// the stored default server without ever showing itself), and shows, kills
// or marks servers as the default. Connecting stores the console in the
// bridge's SelectedConsole, asks the start procedure to show the main window
// and closes this window.
#pragma once

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "platform/Dialogs.h"
#include "platform/HostInfo.h"
#include "platform/SettingsStore.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QToolButton;
class QTreeWidget;

namespace ravelin {

class GatehopInstaller;
class MachineSet;
class Registry;
class ServerList;

struct SplashServices {
    ConsoleBridge& bridge;
    CvarProbe& probe;
    SettingsStore& settings;
    Dialogs& dialogs;
    HostInfo& host;
    // The program's folder (written to "Settings"/"APPPath" and "EXEPath").
    std::string programFolder;
    // Shows (and on first use loads) the main window.
    std::function<void()> showMainWindow;
    // Ends the program at once; no further window events run.
    std::function<void()> endProgram;
    // The application folder, first place the Gatehop installer looks for
    // the shim ("" for the program's folder only).
    std::string appFolder = {};
    // The machines reached over ssh; null when there are none to manage.
    MachineSet* machines = nullptr;
};

class FrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit FrmSplash(SplashServices services, QWidget* parent = nullptr);
    ~FrmSplash() override;

    bool Reloading() const;
    void setReloading(bool reloading);

    // The window's load steps: settings, version label, the first list
    // build. At a fresh start this may connect to the default server and
    // close the window before it is ever shown.
    void load();

    // Connects to the console with this handle when the list holds it (a
    // server started through Gatehop); false when it is not listed.
    bool connectToConsole(long handle);

    // The program is being ended from outside (a signal): the consoles the
    // list hid are shown again, as when the window is closed.
    void giveConsolesBack();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QToolButton* addButton(const char* name, int glyph, const QString& text, const QString& toolTip);
    void redrawTree();
    // Runs a logic action, then honours a close that arrived while it waited.
    void run(const std::function<void()>& action);

    SplashServices m_services;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<GatehopInstaller> m_gatehop;
    std::unique_ptr<ServerList> m_list;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_version = nullptr;
    bool m_redrawing = false;
    bool m_closePending = false;
};

} // namespace ravelin
