// The shutdown dialog "Shutdown": four ways to finish the work with the
// server (optDown), Ok and Cancel, and the hand-back panel with its progress
// bar. Modal; the main window's timers keep running under it. The choice is
// ShutdownChoice's; the main window carries out the chosen way once the
// dialog has closed.
#pragma once

#include "mainwindow/ShutdownChoice.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QFrame;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;

namespace ravelin {

class FrmShutdown final : public QDialog, private ShutdownDialogView {
    Q_OBJECT
public:
    FrmShutdown(std::function<void()> sendQuit, QWidget* parent);

    std::optional<ShutdownWay> chosen() const { return m_choice.chosen(); }
    // The way whose option is set.
    ShutdownWay selectedWay() const;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showRestPanel() override;
    void setButtonsEnabled(bool enabled) override;
    void setRestTimerEnabled(bool enabled) override;
    void setProgress(int value) override;
    void closeDialog() override;

    ShutdownChoice m_choice;
    std::array<QRadioButton*, 4> m_optDown{};
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QFrame* m_picRest = nullptr;
    QProgressBar* m_pbMain = nullptr; // the shutdown's progress
    QTimer* m_tmrRest = nullptr;
    bool m_closing = false;
};

} // namespace ravelin
