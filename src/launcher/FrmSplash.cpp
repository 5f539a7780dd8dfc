#include "launcher/FrmSplash.h"

#include "launcher/GatehopInstaller.h"
#include "launcher/ServerList.h"
#include "launcher/SplashArtwork.h"
#include "platform/linux/IniRegistry.h"
#include "platform/qt/QtText.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace ravelin {

namespace {

constexpr int kKeyRole = Qt::UserRole;

} // namespace

FrmSplash::FrmSplash(SplashServices services, QWidget* parent) : QWidget(parent), m_services(std::move(services))
{
    setObjectName("frmSplash");
    setWindowTitle("Ravelin Server List");

    ServerList::Callbacks callbacks;
    callbacks.treeChanged = [this] { redrawTree(); };
    callbacks.showWindow = [this] {
        if (!isVisible())
            show();
    };
    callbacks.showMainWindow = [this] {
        if (m_services.showMainWindow)
            m_services.showMainWindow();
    };
    callbacks.closeWindow = [this] { close(); };
    callbacks.endProgram = [this] {
        if (m_services.endProgram)
            m_services.endProgram();
    };
    m_list = std::make_unique<ServerList>(m_services.bridge, m_services.probe, m_services.settings, m_services.dialogs,
                                          m_services.host, m_services.programFolder, std::move(callbacks));
    // The shim: the application folder's copy first, then the one shipped
    // beside the program or in the installed libexec folder.
    const std::filesystem::path program(m_services.programFolder);
    std::vector<std::filesystem::path> shims;
    if (!m_services.appFolder.empty())
        shims.push_back(std::filesystem::path(m_services.appFolder) / "gatehop");
    shims.push_back(program / "gatehop");
    shims.push_back(program.parent_path() / "libexec" / "ravelin" / "gatehop");
    m_registry = std::make_unique<IniRegistry>();
    m_gatehop = std::make_unique<GatehopInstaller>(m_services.dialogs, *m_registry, std::move(shims));
    m_list->setGatehopInstaller(m_gatehop.get());
    m_list->setMachines(m_services.machines);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName("tvMain");
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setRootIsDecorated(false);
    m_tree->setExpandsOnDoubleClick(false);
    m_tree->setIconSize(QSize(20, 20));
    m_tree->setMinimumSize(360, 200);
    m_tree->setAccessibleName("Server List");

    // Tree events are handled after the tree has finished its own event:
    // a refresh deletes the very item that was clicked.
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (m_redrawing)
            return;
        m_list->select(item ? std::optional(latin1Bytes(item->data(0, kKeyRole).toString())) : std::nullopt);
    });
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const std::string key = latin1Bytes(item->data(0, kKeyRole).toString());
        QTimer::singleShot(0, this, [this, key] { run([this, key] { m_list->NodeClick(key); }); });
    });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this,
            [this] { QTimer::singleShot(0, this, [this] { run([this] { m_list->Connect(); }); }); });

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    using splash::Glyph;
    auto* connectButton = addButton("imgConnect", int(Glyph::Connect), "Connect", "Connect to Selected Server");
    auto* showButton = addButton("imgShow", int(Glyph::Show), "Show", {});
    auto* killButton = addButton("imgKill", int(Glyph::Kill), "Kill", "Kill Selected Server");
    auto* reloadButton = addButton("imgReload", int(Glyph::Reload), "Refresh", "Refresh Server List");
    auto* autoButton = addButton("imgAuto", int(Glyph::Auto), "Default", "Set Default Server");
    auto* gatehopButton = addButton("imgGatehop", int(Glyph::Gatehop), "Gatehop", "Install Gatehop 1.0");
    auto* minButton = addButton("imgMin", int(Glyph::Min), "Minimise", {});
    auto* quitButton = addButton("imgQuit", int(Glyph::Quit), "Quit", {});
    for (QToolButton* b : {connectButton, showButton, killButton, reloadButton, autoButton, gatehopButton})
        buttons->addWidget(b);
    if (m_services.machines) {
        auto* addMachine = addButton("cmdAddMachine", int(Glyph::Machine), QString::fromUtf8("Add machine\u2026"),
                                     "Add a machine reached over ssh");
        auto* removeMachine =
            addButton("cmdRemoveMachine", int(Glyph::Kill), "Remove machine", "Remove the selected machine");
        buttons->addWidget(addMachine);
        buttons->addWidget(removeMachine);
        connect(addMachine, &QToolButton::clicked, this, [this] { run([this] { m_list->AddMachine(); }); });
        connect(removeMachine, &QToolButton::clicked, this, [this] { run([this] { m_list->RemoveMachine(); }); });
        auto* states = new QTimer(this);
        connect(states, &QTimer::timeout, this, [this] { run([this] { m_list->refreshMachines(); }); });
        states->start(1000);
    }
    buttons->addStretch(1);
    buttons->addWidget(minButton);
    buttons->addWidget(quitButton);

    connect(connectButton, &QToolButton::clicked, this, [this] { run([this] { m_list->Connect(); }); });
    connect(showButton, &QToolButton::clicked, this, [this] { run([this] { m_list->ShowServer(); }); });
    connect(killButton, &QToolButton::clicked, this, [this] { run([this] { m_list->KillServer(); }); });
    connect(reloadButton, &QToolButton::clicked, this, [this] { run([this] { m_list->BuildServerList(); }); });
    connect(autoButton, &QToolButton::clicked, this, [this] { run([this] { m_list->SetDefaultServer(); }); });
    connect(gatehopButton, &QToolButton::clicked, this, [this] { run([this] { m_list->Gatehop(); }); });
    connect(minButton, &QToolButton::clicked, this, [this] { showMinimized(); });
    connect(quitButton, &QToolButton::clicked, this, [this] { run([this] { m_list->Quit(); }); });

    m_version = new QLabel(latin1(m_list->versionLabel()), this);
    m_version->setObjectName("lblVersion");
    m_version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_version);
    resize(440, 320);
}

FrmSplash::~FrmSplash() = default;

QToolButton* FrmSplash::addButton(const char* name, int glyph, const QString& text, const QString& toolTip)
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setIcon(splash::icon(splash::Glyph(glyph)));
    button->setIconSize(QSize(32, 32));
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    if (!toolTip.isEmpty())
        button->setToolTip(toolTip);
    return button;
}

bool FrmSplash::Reloading() const { return m_list->Reloading(); }

void FrmSplash::setReloading(bool reloading) { m_list->setReloading(reloading); }

void FrmSplash::load()
{
    run([this] { m_list->load(); });
}

bool FrmSplash::connectToConsole(long handle)
{
    const std::string key = "hwnd" + std::to_string(handle);
    bool listed = false;
    for (const ServerNode& node : m_list->tree().children)
        listed = listed || node.key == key;
    for (const MachineBranch& branch : m_list->tree().remotes)
        for (const ServerNode& node : branch.children)
            listed = listed || node.key == key;
    if (!listed || m_list->connected() || m_list->ended())
        return false;
    run([this, key] {
        m_list->select(key);
        m_list->Connect();
    });
    return m_list->connected();
}

void FrmSplash::run(const std::function<void()>& action)
{
    action();
    if (m_closePending && !m_list->building()) {
        m_closePending = false;
        close();
    }
}

void FrmSplash::giveConsolesBack() { m_list->windowClosing(); }

void FrmSplash::closeEvent(QCloseEvent* event)
{
    m_list->windowClosing();
    // An action still waiting inside a yield needs this window alive; the
    // close is finished once it has returned.
    if (m_list->building()) {
        m_closePending = true;
        hide();
        event->ignore();
        return;
    }
    event->accept();
}

void FrmSplash::redrawTree()
{
    m_redrawing = true;
    m_version->setText(latin1(m_list->versionLabel()));
    const ServerTree& tree = m_list->tree();
    m_tree->clear();
    QTreeWidgetItem* selected = nullptr;
    const auto& selectedKey = m_list->selectedKey();
    if (!tree.machine.key.empty()) {
        auto* machine = new QTreeWidgetItem(m_tree, QStringList(latin1(tree.machine.text)));
        machine->setData(0, kKeyRole, latin1(tree.machine.key));
        machine->setIcon(0, splash::icon(splash::Glyph::Machine, 20));
        if (selectedKey == tree.machine.key)
            selected = machine;
        for (const ServerNode& node : tree.children) {
            auto* item = new QTreeWidgetItem(machine, QStringList(latin1(node.text)));
            item->setData(0, kKeyRole, latin1(node.key));
            if (node.image == 2)
                item->setIcon(0, splash::icon(splash::Glyph::Server, 20));
            if (selectedKey == node.key)
                selected = item;
        }
        machine->setExpanded(tree.expanded);
    }
    for (const MachineBranch& branch : tree.remotes) {
        auto* machine = new QTreeWidgetItem(m_tree, QStringList(latin1(branch.node.text)));
        machine->setData(0, kKeyRole, latin1(branch.node.key));
        machine->setIcon(0, splash::icon(splash::Glyph::Machine, 20));
        if (selectedKey == branch.node.key)
            selected = machine;
        for (const ServerNode& node : branch.children) {
            auto* item = new QTreeWidgetItem(machine, QStringList(latin1(node.text)));
            item->setData(0, kKeyRole, latin1(node.key));
            item->setIcon(0, splash::icon(splash::Glyph::Server, 20));
            if (selectedKey == node.key)
                selected = item;
        }
        machine->setExpanded(true);
    }
    m_tree->setCurrentItem(selected);
    m_redrawing = false;
}

} // namespace ravelin
