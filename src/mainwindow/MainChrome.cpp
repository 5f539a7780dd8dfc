// The main window's own frame: a borderless window with a title strip that
// drags it through the window manager, image buttons for hide, quit, the
// console pump modes and the shutdown dialog, and the tray icon that
// animates while console text arrives and brings the hidden window back.
#include "mainwindow/FrmMain.h"

#include "mainwindow/ChromeArtwork.h"
#include "mainwindow/FrmShutdown.h"
#include "platform/qt/Accessible.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

namespace ravelin {

namespace {

// The title picture: any mouse button pressed on it drags the window.
class TitleImage final : public QLabel {
public:
    TitleImage(std::function<void(const QPoint&)> press, std::function<void(const QPoint&)> move,
               std::function<void()> release, QWidget* parent)
        : QLabel(parent), m_press(std::move(press)), m_move(std::move(move)), m_release(std::move(release))
    {
        setAttribute(Qt::WA_NoMousePropagation);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { m_press(event->globalPosition().toPoint()); }
    void mouseMoveEvent(QMouseEvent* event) override { m_move(event->globalPosition().toPoint()); }
    void mouseReleaseEvent(QMouseEvent*) override { m_release(); }

private:
    std::function<void(const QPoint&)> m_press;
    std::function<void(const QPoint&)> m_move;
    std::function<void()> m_release;
};

QToolButton* chromeButton(QWidget* parent, const char* name, chrome::Glyph glyph, const QString& toolTip)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(chrome::buttonIcon(glyph));
    button->setIconSize(QSize(chrome::kButtonSize, chrome::kButtonSize));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    accessible::setToolTipAndName(button, toolTip);
    return button;
}

bool trayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

} // namespace

void FrmMain::buildChrome()
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(kCaption);

    m_imgTitle =
        new TitleImage([this](const QPoint& at) { imgTitle_MouseDown(at); },
                       [this](const QPoint& at) { imgTitle_MouseMove(at); }, [this] { m_dragging = false; }, this);
    m_imgTitle->setObjectName("imgTitle");
    m_imgTitle->setGeometry(0, 0, width(), chrome::kTitleHeight);
    m_imgTitle->setPixmap(chrome::titlePicture(kCaption, width()));

    // The highlight picture of the selected mode button, never shown itself.
    m_imgModeSel = new QLabel(this);
    m_imgModeSel->setObjectName("imgModeSel");
    m_imgModeSel->setPixmap(chrome::modeHighlight());
    m_imgModeSel->hide();

    struct Mode {
        const char* toolTip;
        chrome::Glyph glyph;
    };
    const Mode modes[3] = {{"Console Pump On", chrome::Glyph::PumpOn},
                           {"Console Pump Off", chrome::Glyph::PumpOff},
                           {"Shutdown", chrome::Glyph::Shutdown}};
    const int step = chrome::kButtonSize + 4;
    int x = width() - 7 * step - 8;
    // Straight to the roster, from any page.
    m_imgUsers = chromeButton(this, "imgUsers", chrome::Glyph::Users, "Clients");
    m_imgUsers->setGeometry(x, 2, chrome::kButtonSize, chrome::kButtonSize);
    connect(m_imgUsers, &QToolButton::clicked, this, [this] { imgTab_Click(kClientsTab); });
    x += step;
    for (int i = 0; i < 3; ++i) {
        QToolButton* button = chromeButton(this, "imgMode", modes[i].glyph, modes[i].toolTip);
        button->setObjectName(QStringLiteral("imgMode%1").arg(i));
        button->setProperty("index", i);
        // Buttons 0 and 1 show which way the pump was last switched.
        button->setCheckable(i < 2);
        button->setGeometry(x, 2, chrome::kButtonSize, chrome::kButtonSize);
        connect(button, &QToolButton::clicked, this, [this, i] { imgMode_Click(i); });
        m_imgMode[static_cast<std::size_t>(i)] = button;
        x += step;
    }
    m_imgMode[0]->setChecked(true);

    m_picClear = chromeButton(this, "picClear", chrome::Glyph::Clear, "Clear Console");
    m_picClear->setGeometry(x, 2, chrome::kButtonSize, chrome::kButtonSize);
    connect(m_picClear, &QToolButton::clicked, this, [this] { picClear_Click(); });
    x += step;
    m_imgMin = chromeButton(this, "imgMin", chrome::Glyph::Minimise, trayAvailable() ? "Hide to Tray" : "Minimise");
    m_imgMin->setGeometry(x, 2, chrome::kButtonSize, chrome::kButtonSize);
    connect(m_imgMin, &QToolButton::clicked, this, [this] { imgMin_Click(); });
    x += step;
    m_imgQuit = chromeButton(this, "imgQuit", chrome::Glyph::Quit, "Quit");
    m_imgQuit->setGeometry(x, 2, chrome::kButtonSize, chrome::kButtonSize);
    connect(m_imgQuit, &QToolButton::clicked, this, [this] { imgQuit_Click(); });

    buildTray();
}

void FrmMain::buildTray()
{
    m_imlTray = chrome::trayImages();
    m_session.tray().setShowFrame([this](int frame) { showTrayFrame(frame); });
    if (!trayAvailable())
        return;
    m_tryMain = new QSystemTrayIcon(this);
    m_tryMain->setObjectName("tryMain");
    m_tryMain->setToolTip("Ravelin");
    m_tryMain->setIcon(m_imlTray[TrayAnimation::kFirstFrame]);
    auto* menu = new QMenu(this);
    menu->setObjectName("mnuTray");
    menu->addAction("&Restore", this, [this] { tryMain_Restore(); });
    menu->addAction("&Shutdown...", this, [this] { imgMode_Click(2); });
    m_tryMain->setContextMenu(menu);
    connect(m_tryMain, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            tryMain_Restore();
    });
    m_tryMain->show();
}

void FrmMain::showTrayFrame(int frame)
{
    if (!m_tryMain || frame < 0 || frame >= static_cast<int>(m_imlTray.size()))
        return;
    m_tryMain->setIcon(m_imlTray[static_cast<std::size_t>(frame)]);
    m_tryMain->show();
}

// The window manager moves the window (X11 and Wayland alike); where it
// cannot, the title follows the mouse itself.
void FrmMain::imgTitle_MouseDown(const QPoint& global)
{
    ++m_systemMoveRequests;
    QWindow* handle = windowHandle();
    if (handle && handle->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = global - pos();
}

void FrmMain::imgTitle_MouseMove(const QPoint& global)
{
    if (m_dragging)
        move(global - m_dragOffset);
}

void FrmMain::imgMode_Click(int index)
{
    if (index == 2) {
        openShutdown();
        return;
    }
    if (index < 0 || index > 2)
        return;
    for (QToolButton* button : m_imgMode)
        if (button->isCheckable())
            button->setChecked(false);
    m_imgMode[static_cast<std::size_t>(index)]->setChecked(true);
    setTimerEnabled(SessionTimer::tmrConsole, index == 0);
}

void FrmMain::imgMin_Click()
{
    if (m_tryMain && trayAvailable()) {
        m_tryMain->show();
        hide();
        return;
    }
    // No tray to come back from: the taskbar is the way back.
    m_minimisedByUs = true;
    showMinimized();
}

void FrmMain::tryMain_Restore()
{
    if (m_session.Unloading())
        return;
    const bool wasHidden = !isVisible() || isMinimized();
    m_minimisedByUs = false;
    showNormal();
    raise();
    activateWindow();
    if (wasHidden)
        queueActivation();
}

// Coming back from the minimise that stands in for the tray counts as the
// tray's restore.
void FrmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && m_minimisedByUs && !isMinimized()) {
        m_minimisedByUs = false;
        queueActivation();
    }
}

void FrmMain::openShutdown()
{
    // From the tray menu a dialog of ours may be up, with its caller waiting
    // under it: the shutdown waits for that dialog to close.
    if (m_shutdownOpen || m_session.Unloading() || QApplication::activeModalWidget())
        return;
    m_shutdownOpen = true;
    std::optional<ShutdownWay> way;
    {
        FrmShutdown dialog([this] { m_session.sendQuit(); }, this);
        dialog.exec();
        way = dialog.chosen();
    }
    m_shutdownOpen = false;
    if (way)
        leave(*way);
}

void FrmMain::leave(ShutdownWay way)
{
    m_leaving = true;
    hide();
    if (m_tryMain)
        m_tryMain->hide();
    m_session.leave(way);
    close();
}

// Tab moves through the frame's buttons, the tabs and the page in front;
// the pages stacked behind it keep their controls out of the way.
bool FrmMain::inFocusChain(QWidget* widget) const
{
    if (!widget || widget->window() != this || !widget->isEnabled() || !widget->isVisibleTo(this)
        || !(widget->focusPolicy() & Qt::TabFocus))
        return false;
    for (QWidget* w = widget; w && w != this; w = w->parentWidget())
        for (int i = 0; i < kTabCount; ++i)
            if (w == m_picBase[static_cast<std::size_t>(i)])
                return i == m_currentTab;
    return true;
}

bool FrmMain::focusNextPrevChild(bool next)
{
    QWidget* start = focusWidget() ? focusWidget() : this;
    QWidget* w = start;
    do {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
        if (inFocusChain(w)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    } while (w && w != start);
    return false;
}

// Borderless: the window draws its own edge.
void FrmMain::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(0x1c, 0x1e, 0x22));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace ravelin
