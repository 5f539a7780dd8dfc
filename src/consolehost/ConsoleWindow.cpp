#include "consolehost/ConsoleWindow.h"

#include "console/ConsoleText.h"
#include "platform/ipc/IpcProtocol.h"
#include "platform/qt/OutputBox.h"
#include "platform/qt/QtText.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ravelin::consolehost {

namespace {

// The model keeps CR LF line ends; the text widget wants LF.
QString shown(std::string_view bytes)
{
    const std::string text = printableConsoleText(bytes);
    return latin1(text);
}

} // namespace

ConsoleWindow::ConsoleWindow(ConsoleModel& model) : m_model(model)
{
    setWindowTitle(QStringLiteral("Quake 3 Console"));
    setObjectName(QStringLiteral("Q3 WinConsole"));
    resize(640, 420);

    m_input = new QLineEdit(this);
    m_input->setObjectName(QStringLiteral("input"));
    auto* copyButton = new QPushButton(QStringLiteral("copy"), this);
    copyButton->setObjectName(QStringLiteral("copy"));
    auto* clearButton = new QPushButton(QStringLiteral("clear"), this);
    clearButton->setObjectName(QStringLiteral("clear"));
    auto* quitButton = new QPushButton(QStringLiteral("quit"), this);
    quitButton->setObjectName(QStringLiteral("quit"));
    m_output = new OutputBox(this);
    m_output->setObjectName(QStringLiteral("output"));
    m_output->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_input->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copyButton);
    buttons->addWidget(clearButton);
    buttons->addWidget(quitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_output, 1);
    layout->addWidget(m_input);
    layout->addLayout(buttons);
    // Keyboard order follows the child order clients see.
    setTabOrder(m_input, copyButton);
    setTabOrder(copyButton, clearButton);
    setTabOrder(clearButton, quitButton);
    setTabOrder(quitButton, m_output);

    outputChanged(true, m_model.output());
    QObject::connect(m_input, &QLineEdit::textEdited, this, [this](const QString& text) {
        // insert() and backspace() count as edits too: a client's typing
        // is not the person's.
        if (m_updatingInput)
            return;
        m_ownLine = text;
        setModelInput(text);
    });
    QObject::connect(m_input, &QLineEdit::returnPressed, this, [this] {
        m_ownLine.clear();
        m_model.enter();
    });
    QObject::connect(copyButton, &QPushButton::clicked, this, [this] { m_model.click(ipc::kCopyButton); });
    QObject::connect(clearButton, &QPushButton::clicked, this, [this] { m_model.click(ipc::kClearButton); });
    QObject::connect(quitButton, &QPushButton::clicked, this, [this] { m_model.click(ipc::kQuitButton); });
    m_input->setMaxLength(static_cast<int>(ConsoleModel::kMaxInputBytes));
    m_input->setFocus();
}

void ConsoleWindow::outputChanged(bool replaced, std::string_view appended)
{
    if (replaced)
        m_output->replaceText(shown(appended));
    else
        m_output->appendText(shown(appended));
}

void ConsoleWindow::inputChanged()
{
    if (m_updatingInput)
        return;
    const std::string& text = m_model.input();
    m_input->setText(latin1(text));
}

// One character at the end: the line edit takes it without the whole line
// being set again, so typing costs the same whatever the line's length.
void ConsoleWindow::inputTyped(char character)
{
    if (m_updatingInput)
        return;
    // A client typing onto the person's line makes it a shared one: it
    // goes out with the client's Enter and does not come back.
    if (!m_ownLine.isEmpty()
        && QLatin1String(m_model.input().data(), static_cast<qsizetype>(m_model.input().size())).startsWith(m_ownLine))
        m_ownLine.clear();
    m_updatingInput = true;
    m_input->end(false);
    if (character == '\b')
        m_input->backspace();
    else
        m_input->insert(QString(QChar(static_cast<unsigned char>(character))));
    m_updatingInput = false;
}

// A client's line went out: the person's half-typed line comes back (their
// own Enter forgets it first).
void ConsoleWindow::inputEntered()
{
    if (m_ownLine.isEmpty())
        return;
    setModelInput(m_ownLine);
    m_input->setText(m_ownLine);
}

// The line edit's text into the model, without the model's echo of it.
void ConsoleWindow::setModelInput(const QString& text)
{
    QByteArray bytes = text.toLatin1();
    m_updatingInput = true;
    m_model.setInput(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    m_updatingInput = false;
}

void ConsoleWindow::copy(const std::string& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(shown(text));
}

void ConsoleWindow::focusInput() { m_input->setFocus(); }

void ConsoleWindow::closeEvent(QCloseEvent* event)
{
    // Closing the console window ends the server, as the quit button does;
    // the window goes with the host once the server has gone.
    event->ignore();
    if (m_onClose)
        m_onClose();
    else
        m_model.click(ipc::kQuitButton);
}

} // namespace ravelin::consolehost
