// The command line's controls around txtOut: its key and focus events, the
// history and command list popups with their two picture buttons, and the
// Intellisense/DosKey check boxes on the options page. Events go to the
// CommandLine logic, which works on the box through CommandLineView.
#pragma once

#include "config/CommandLine.h"

#include <QObject>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QToolButton;
class QWidget;

namespace ravelin {

class CommandLineBox final : public QObject, private CommandLineView {
    Q_OBJECT
public:
    // `txtOut` lies on `consolePage`; the check boxes go on `optionsPage`.
    CommandLineBox(CommandLine& logic, QLineEdit* txtOut, QWidget* consolePage, QWidget* optionsPage);
    ~CommandLineBox() override;

    // The platform key code of a Qt key (13, 8, 46, 38, 40; 0 for others).
    static int keyCode(int qtKey);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPopups(QWidget* consolePage);
    void buildOptions(QWidget* optionsPage);

    std::string text() const override;
    void setText(const std::string& text) override;
    int selStart() const override;
    int selLength() const override;
    void setSelection(int start, int length) override;
    void replaceSelection(const std::string& text) override;
    void focusCommandLine() override;
    void showHistoryPopup(const std::vector<PopupRow>& rows, int selected) override;
    void hideHistoryPopup() override;
    void showCommandPopup() override;
    void hideCommandPopup() override;
    void showIntellisense(int value) override;
    void showDosKey(int value) override;

    CommandLine& m_logic;
    QLineEdit* m_txtOut;
    QListWidget* m_lstHistory = nullptr;
    QListWidget* m_lstCmd = nullptr; // the pop-up of known console commands
    QToolButton* m_imgHistory = nullptr;
    QToolButton* m_imgCommands = nullptr;
    QCheckBox* m_chkIntel = nullptr;
    QCheckBox* m_chkDoskey = nullptr;
};

} // namespace ravelin
