// The console window on a display: output box, input line and the buttons
// "copy", "clear", "quit", titled "Quake 3 Console". It only mirrors the
// console model and forwards what the operator does to it; the bytes in the
// model are shown as Latin-1.
#pragma once

#include "consolehost/ConsoleModel.h"

#include <QWidget>

#include <functional>

class QLineEdit;
class QPushButton;

namespace ravelin {
class OutputBox;
}

namespace ravelin::consolehost {

class ConsoleWindow final : public QWidget {
public:
    explicit ConsoleWindow(ConsoleModel& model);

    // Model events, forwarded by the host.
    void outputChanged(bool replaced, std::string_view appended);
    void inputChanged();
    void inputTyped(char character);
    void inputEntered();
    void copy(const std::string& text);
    void focusInput();
    // What closing the window does (the host decides: quit the server, or
    // leave once it has gone).
    void setCloseHandler(std::function<void()> handler) { m_onClose = std::move(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setModelInput(const QString& text);

    ConsoleModel& m_model;
    QLineEdit* m_input = nullptr;
    OutputBox* m_output = nullptr;
    bool m_updatingInput = false;
    // What the person at this window typed and has not entered yet: a
    // client's line set into the box and entered must not take it away.
    QString m_ownLine;
    std::function<void()> m_onClose;
};

} // namespace ravelin::consolehost
