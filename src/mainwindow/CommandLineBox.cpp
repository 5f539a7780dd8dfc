#include "mainwindow/CommandLineBox.h"

#include "platform/qt/QtText.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>

namespace ravelin {

namespace {

constexpr int kPopupWidth = 320;
constexpr int kPopupHeight = 200;
constexpr int kButtonSize = 28;

QListWidget* makePopup(const char* name, const QString& accessible, QWidget* page, const QLineEdit* txtOut)
{
    auto* popup = new QListWidget(page);
    popup->setObjectName(name);
    popup->setAccessibleName(accessible);
    popup->setFont(txtOut->font());
    // Left edge on the command line's, standing just above it.
    popup->setGeometry(txtOut->x(), txtOut->y() - kPopupHeight - 2, kPopupWidth, kPopupHeight);
    popup->hide();
    return popup;
}

} // namespace

CommandLineBox::CommandLineBox(CommandLine& logic, QLineEdit* txtOut, QWidget* consolePage, QWidget* optionsPage)
    : QObject(txtOut), m_logic(logic), m_txtOut(txtOut)
{
    m_txtOut->setAccessibleName("Command");
    m_txtOut->installEventFilter(this);
    buildPopups(consolePage);
    buildOptions(optionsPage);
    m_logic.setView(this);
}

// The session that owns the logic is gone by the time the window's
// children are deleted: nothing to tell it.
CommandLineBox::~CommandLineBox() = default;

void CommandLineBox::buildPopups(QWidget* consolePage)
{
    // The two picture buttons take the right end of the command line.
    const QRect line = m_txtOut->geometry();
    m_txtOut->setGeometry(line.x(), line.y(), line.width() - 2 * (kButtonSize + 4), line.height());
    auto button = [&](const char* name, const char* tip, Qt::ArrowType arrow, int x) {
        auto* b = new QToolButton(consolePage);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setArrowType(arrow);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(x, line.y(), kButtonSize, line.height());
        return b;
    };
    const int right = line.x() + line.width();
    m_imgHistory = button("imgHistory", "History", Qt::UpArrow, right - 2 * kButtonSize - 4);
    m_imgCommands = button("imgCommands", "Commands", Qt::RightArrow, right - kButtonSize);
    connect(m_imgHistory, &QToolButton::clicked, this, [this] { m_logic.imgHistory_Click(); });
    connect(m_imgCommands, &QToolButton::clicked, this, [this] { m_logic.imgCommands_Click(); });

    m_lstHistory = makePopup("lstHistory", "History", consolePage, m_txtOut);
    m_lstCmd = makePopup("lstCmd", "Commands", consolePage, m_txtOut);
    for (const char* command : CommandLine::kCommands)
        m_lstCmd->addItem(command);
    for (QListWidget* popup : {m_lstHistory, m_lstCmd})
        popup->installEventFilter(this);
    auto historyClick = [this] {
        QListWidgetItem* item = m_lstHistory->currentItem();
        m_logic.lstHistory_Click(item ? m_lstHistory->row(item) : -1, item ? latin1Bytes(item->text()) : std::string(),
                                 item ? item->data(Qt::UserRole).toInt() : 0);
    };
    auto commandClick = [this] {
        QListWidgetItem* item = m_lstCmd->currentItem();
        m_logic.lstCmd_Click(item ? m_lstCmd->row(item) : -1, item ? latin1Bytes(item->text()) : std::string());
    };
    connect(m_lstHistory, &QListWidget::itemClicked, this, historyClick);
    connect(m_lstHistory, &QListWidget::itemActivated, this, historyClick);
    connect(m_lstCmd, &QListWidget::itemClicked, this, commandClick);
    connect(m_lstCmd, &QListWidget::itemActivated, this, commandClick);
}

// The options page's history and completion switches (y 240 to 300).
void CommandLineBox::buildOptions(QWidget* optionsPage)
{
    m_chkIntel = new QCheckBox("Use Intellisense for console input", optionsPage);
    m_chkIntel->setObjectName("chkIntel");
    m_chkIntel->setGeometry(24, 244, 420, 24);
    m_chkDoskey = new QCheckBox("Use UP and DOWN arrows for history", optionsPage);
    m_chkDoskey->setObjectName("chkDoskey");
    m_chkDoskey->setGeometry(24, 272, 420, 24);
    connect(m_chkIntel, &QCheckBox::clicked, this, [this](bool on) { m_logic.setIntellisense(on ? 1 : 0); });
    connect(m_chkDoskey, &QCheckBox::clicked, this, [this](bool on) { m_logic.setDosKey(on ? 1 : 0); });
    m_chkIntel->setChecked(m_logic.Intellisense() != 0);
    m_chkDoskey->setChecked(m_logic.DosKey() != 0);
}

int CommandLineBox::keyCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return CommandLine::kEnter;
    case Qt::Key_Backspace: return CommandLine::kBackspace;
    case Qt::Key_Delete: return CommandLine::kDelete;
    case Qt::Key_Up: return CommandLine::kUp;
    case Qt::Key_Down: return CommandLine::kDown;
    default: return 0;
    }
}

bool CommandLineBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtOut) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (m_logic.txtOut_KeyDown(keyCode(key->key())))
                return true;
            const QString typed = key->text();
            if (!typed.isEmpty() && m_logic.txtOut_KeyPress(typed[0].toLatin1()))
                return true;
            break;
        }
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat())
                m_logic.txtOut_KeyUp(keyCode(key->key()));
            return true;
        }
        case QEvent::FocusIn:
            // After the click that gave the focus has placed the caret.
            QTimer::singleShot(0, this, [this] {
                if (m_txtOut->hasFocus())
                    m_logic.txtOut_GotFocus();
            });
            break;
        default: break;
        }
    } else if ((watched == m_lstHistory || watched == m_lstCmd) && event->type() == QEvent::FocusOut) {
        static_cast<QWidget*>(watched)->hide();
    }
    return QObject::eventFilter(watched, event);
}

std::string CommandLineBox::text() const { return latin1Bytes(m_txtOut->text()); }

void CommandLineBox::setText(const std::string& text) { m_txtOut->setText(latin1(text)); }

int CommandLineBox::selStart() const
{
    return m_txtOut->hasSelectedText() ? m_txtOut->selectionStart() : m_txtOut->cursorPosition();
}

int CommandLineBox::selLength() const { return m_txtOut->hasSelectedText() ? m_txtOut->selectionLength() : 0; }

void CommandLineBox::setSelection(int start, int length)
{
    if (length > 0) {
        m_txtOut->setSelection(start, length);
    } else {
        m_txtOut->deselect();
        m_txtOut->setCursorPosition(start);
    }
}

void CommandLineBox::replaceSelection(const std::string& text) { m_txtOut->insert(latin1(text)); }

void CommandLineBox::focusCommandLine() { m_txtOut->setFocus(Qt::OtherFocusReason); }

void CommandLineBox::showHistoryPopup(const std::vector<PopupRow>& rows, int selected)
{
    m_lstHistory->clear();
    for (const PopupRow& row : rows) {
        auto* item = new QListWidgetItem(latin1(row.text), m_lstHistory);
        item->setData(Qt::UserRole, row.itemData);
    }
    m_lstHistory->raise();
    m_lstHistory->setCurrentRow(selected);
    m_lstHistory->show();
    m_lstHistory->setFocus(Qt::PopupFocusReason);
}

void CommandLineBox::hideHistoryPopup() { m_lstHistory->hide(); }

void CommandLineBox::showCommandPopup()
{
    m_lstCmd->raise();
    m_lstCmd->show();
    m_lstCmd->setFocus(Qt::PopupFocusReason);
}

void CommandLineBox::hideCommandPopup() { m_lstCmd->hide(); }

void CommandLineBox::showIntellisense(int value) { m_chkIntel->setChecked(value != 0); }

void CommandLineBox::showDosKey(int value) { m_chkDoskey->setChecked(value != 0); }

} // namespace ravelin
