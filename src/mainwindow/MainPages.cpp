// The main window's controls: the tab strip and the eight pages. Pages whose
// features arrive later show their title only.
#include "mainwindow/FrmMain.h"

#include "mainwindow/FunctionPage.h"
#include "mainwindow/ChromeArtwork.h"
#include "mainwindow/StatsPage.h"
#include "mainwindow/SysPage.h"
#include "mainwindow/CommandLineBox.h"
#include "mainwindow/CvarsPage.h"
#include "mainwindow/ConfigEditorPage.h"
#include "mainwindow/TabPictures.h"
#include "platform/qt/Accessible.h"
#include "mainwindow/ClientsPage.h"
#include "platform/qt/OutputBox.h"
#include "mainwindow/FilterOptions.h"
#include "mainwindow/NotificationOptions.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>

namespace ravelin {

namespace {

constexpr int kMargin = 8;
constexpr int kTabStep = 88; // neighbouring tabs overlap by 8 pixels
constexpr int kTabTop = chrome::kTitleHeight + kMargin;
constexpr int kPageTop = kTabTop + kTabPictureHeight;
constexpr int kPageWidth = 724;
constexpr int kPageHeight = 480;

// A picture that acts as a button: a press reports the tab's index.
class TabImage final : public QLabel {
public:
    TabImage(int index, std::function<void(int)> onClick, QWidget* parent)
        : QLabel(parent), m_index(index), m_onClick(std::move(onClick))
    {
        setAttribute(Qt::WA_NoMousePropagation);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_onClick(m_index);
    }

    // Keyboard users see which tab has the focus.
    void paintEvent(QPaintEvent* event) override
    {
        QLabel::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(12, 3, -13, -2));
    }

private:
    int m_index;
    std::function<void(int)> m_onClick;
};

QLabel* addTitle(QWidget* page, const QString& text, int y = 8)
{
    auto* title = new QLabel(text, page);
    title->setObjectName("lblTitle");
    QFont font = title->font();
    font.setPointSize(font.pointSize() + 3);
    font.setBold(true);
    title->setFont(font);
    title->setGeometry(12, y, kPageWidth - 24, 24);
    return title;
}

} // namespace

void FrmMain::buildTabs()
{
    for (int i = 0; i < kTabCount; ++i) {
        auto* tab = new TabImage(
            i, [this](int index) { imgTab_Click(index); }, this);
        tab->setObjectName(QStringLiteral("imgTab%1").arg(i));
        tab->setProperty("index", i);
        tab->setGeometry(kMargin + i * kTabStep, kTabTop, kTabPictureWidth, kTabPictureHeight);
        accessible::makePictureButton(tab, QAccessible::PageTab);
        tab->setAccessibleName(QString::fromLatin1(kTabNames[static_cast<std::size_t>(i)]));
        m_imgTab[static_cast<std::size_t>(i)] = tab;
    }
}

void FrmMain::buildPages()
{
    for (int i = 0; i < kTabCount; ++i) {
        auto* page = new QFrame(this);
        page->setObjectName(QStringLiteral("picBase%1").arg(i));
        page->setProperty("index", i);
        page->setFrameShape(QFrame::StyledPanel);
        page->setAutoFillBackground(true);
        // A double click on a page is the page's, not the window background's.
        page->setAttribute(Qt::WA_NoMousePropagation);
        page->setGeometry(kMargin, kPageTop, kPageWidth, kPageHeight);
        m_picBase[static_cast<std::size_t>(i)] = page;
    }
    buildConsolePage(m_picBase[0]);
    m_sysPage = new SysPage(m_session.monitor(), m_picBase[1]);
    new StatsPage(m_session, m_picBase[2]);
    buildFunctionPage(m_picBase[3]);
    addTitle(m_picBase[4], "Options");
    buildReportOption(m_session, m_picBase[4]);
    addTitle(m_picBase[5], "Clients");
    m_clientsPage = new ClientsPage(m_session.clients(), m_picBase[5]);
    m_filterOptions = new FilterOptions(m_session.clients(), m_picBase[4]);
    new NotificationOptions(m_session.notifications(), m_picBase[4]);
    addTitle(m_picBase[6], "Server Variables");
    new CvarsPage(m_session.cvars(), m_picBase[6]);
    addTitle(m_picBase[7], "Config Editor");
    new ConfigEditorPage(m_session.configEditor(), m_picBase[7]);
    new CommandLineBox(m_session.commandLine(), m_txtOut, m_picBase[0], m_picBase[4]);
}

void FrmMain::buildConsolePage(QWidget* page)
{
    // Server output lines up in columns (status tables), hence a fixed font.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    m_txtDisplay = new OutputBox(page);
    m_txtDisplay->setObjectName("txtDisplay");
    m_txtDisplay->setFont(fixed);
    m_txtDisplay->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_txtDisplay->setGeometry(8, 8, kPageWidth - 16, kPageHeight - 52);
    m_txtDisplay->setAccessibleName("Console Output");

    // Shown only while the console in use is gone, over the display's foot.
    m_lblConsoleState = new QLabel(page);
    m_lblConsoleState->setObjectName("lblConsoleState");
    m_lblConsoleState->setStyleSheet("QLabel { background: #800000; color: white; padding: 2px; }");
    m_lblConsoleState->setGeometry(8, kPageHeight - 66, kPageWidth - 16, 22);
    m_lblConsoleState->hide();

    m_txtOut = new QLineEdit(page);
    m_txtOut->setObjectName("txtOut");
    m_txtOut->setFont(fixed);
    m_txtOut->setGeometry(8, kPageHeight - 38, kPageWidth - 104, 28);
    m_txtOut->setAccessibleName("Command Line");

    m_cmdClear = new QPushButton("Clear", page);
    m_cmdClear->setObjectName("cmdClear");
    m_cmdClear->setGeometry(kPageWidth - 88, kPageHeight - 38, 80, 28);
    connect(m_cmdClear, &QPushButton::clicked, this, [this] { m_session.cmdClear_Click(); });
}

// The function page is its own class; the window keeps the script controls
// it writes to.
void FrmMain::buildFunctionPage(QWidget* page)
{
    auto* function = new FunctionPage(m_session, page);
    m_txtDebug = function->txtDebug();
    m_lstScripts = function->lstScripts();
    m_lstConsoleProc = function->lstConsoleProc();
    m_txtLastProc = function->txtLastProc();
    m_txtLastData = function->txtLastData();
    m_cmdInitScripts = function->cmdInitScripts();
}

} // namespace ravelin
