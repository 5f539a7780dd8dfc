// The main window's controls: the tab strip and the eight pages. Pages whose
// features arrive later show their title only.
#include "mainwindow/FrmMain.h"

#include "mainwindow/TabPictures.h"
#include "mainwindow/ClientsPage.h"
#include "mainwindow/FilterOptions.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>

namespace ravelin {

namespace {

constexpr int kMargin = 8;
constexpr int kTabStep = 88; // neighbouring tabs overlap by 8 pixels
constexpr int kPageTop = kMargin + kTabPictureHeight;
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
        auto* tab = new TabImage(i, [this](int index) { imgTab_Click(index); }, this);
        tab->setObjectName(QStringLiteral("imgTab%1").arg(i));
        tab->setProperty("index", i);
        tab->setGeometry(kMargin + i * kTabStep, kMargin, kTabPictureWidth, kTabPictureHeight);
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
    addTitle(m_picBase[1], "System Activity");
    addTitle(m_picBase[2], "Internal Statistics");
    auto* internalNote = new QLabel("Feature Disabled in this beta, sorry", m_picBase[2]);
    internalNote->setGeometry(24, 36, 400, 20);
    addTitle(m_picBase[2], "Web Statistics", 72);
    auto* webNote = new QLabel("Feature Disabled in this beta, sorry", m_picBase[2]);
    webNote->setGeometry(24, 100, 400, 20);
    buildFunctionPage(m_picBase[3]);
    addTitle(m_picBase[4], "Options");
    addTitle(m_picBase[5], "Clients");
    m_clientsPage = new ClientsPage(m_session.clients(), m_picBase[5]);
    m_filterOptions = new FilterOptions(m_session.clients(), m_picBase[4]);
    addTitle(m_picBase[6], "Server Variables");
    addTitle(m_picBase[7], "Config Editor");
}

void FrmMain::buildConsolePage(QWidget* page)
{
    // Server output lines up in columns (status tables), hence a fixed font.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    m_txtDisplay = new QPlainTextEdit(page);
    m_txtDisplay->setObjectName("txtDisplay");
    m_txtDisplay->setReadOnly(true);
    m_txtDisplay->setFont(fixed);
    m_txtDisplay->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_txtDisplay->setGeometry(8, 8, kPageWidth - 16, kPageHeight - 52);

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
    connect(m_txtOut, &QLineEdit::returnPressed, this, &FrmMain::txtOut_Enter);

    m_cmdClear = new QPushButton("Clear", page);
    m_cmdClear->setObjectName("cmdClear");
    m_cmdClear->setGeometry(kPageWidth - 88, kPageHeight - 38, 80, 28);
    connect(m_cmdClear, &QPushButton::clicked, this, [this] { m_session.cmdClear_Click(); });
}

void FrmMain::buildFunctionPage(QWidget* page)
{
    addTitle(page, "Environment Functions");
    // Command lists and presets join this page with their features.

    auto* scripts = new QLabel("Procedures Loaded:", page);
    scripts->setGeometry(12, 40, 200, 20);
    m_lstScripts = new QListWidget(page);
    m_lstScripts->setObjectName("lstScripts");
    m_lstScripts->setGeometry(12, 62, 340, 150);
    m_cmdInitScripts = new QPushButton("Re-Initialize", page);
    m_cmdInitScripts->setObjectName("cmdInitScripts");
    m_cmdInitScripts->setGeometry(12, 218, 140, 28);
    connect(m_cmdInitScripts, &QPushButton::clicked, this, [this] { m_session.cmdInitScripts_Click(); });

    auto* lastProc = new QLabel("Last Proc. Called:", page);
    lastProc->setGeometry(370, 40, 200, 20);
    m_txtLastProc = new QLineEdit(page);
    m_txtLastProc->setObjectName("txtLastProc");
    m_txtLastProc->setReadOnly(true);
    m_txtLastProc->setGeometry(370, 62, 340, 26);
    auto* lastData = new QLabel("Data Passed:", page);
    lastData->setGeometry(370, 94, 200, 20);
    m_txtLastData = new QLineEdit(page);
    m_txtLastData->setObjectName("txtLastData");
    m_txtLastData->setReadOnly(true);
    m_txtLastData->setGeometry(370, 116, 340, 26);

    // The console procedures the scripts define: consulted by the pump,
    // never shown.
    m_lstConsoleProc = new QListWidget(page);
    m_lstConsoleProc->setObjectName("lstConsoleProc");
    m_lstConsoleProc->hide();

    auto* output = new QLabel("Output :", page);
    output->setGeometry(12, 256, 200, 20);
    m_txtDebug = new QPlainTextEdit(page);
    m_txtDebug->setObjectName("txtDebug");
    m_txtDebug->setReadOnly(true);
    m_txtDebug->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_txtDebug->setGeometry(12, 278, kPageWidth - 24, kPageHeight - 290);
}

} // namespace ravelin
