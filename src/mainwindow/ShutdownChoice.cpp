#include "mainwindow/ShutdownChoice.h"

namespace ravelin {

ShutdownChoice::ShutdownChoice(ShutdownDialogView& view, std::function<void()> sendQuit)
    : m_view(view), m_sendQuit(std::move(sendQuit))
{}

void ShutdownChoice::close(std::optional<ShutdownWay> way)
{
    if (m_closed)
        return;
    m_closed = true;
    m_closedOn = way;
    m_view.closeDialog();
}

void ShutdownChoice::cmdOk_Click(ShutdownWay way)
{
    if (m_closed || m_handingBack)
        return;
    switch (way) {
    case ShutdownWay::RestoreConsole:
        m_handingBack = true;
        m_view.showRestPanel();
        m_view.setButtonsEnabled(false);
        m_view.setRestTimerEnabled(true);
        return;
    case ShutdownWay::SelectServer: break;
    case ShutdownWay::ShutdownAndEnd:
    case ShutdownWay::ShutdownAndSelect:
        if (m_sendQuit)
            m_sendQuit();
        break;
    }
    close(way);
}

// Once the hand-back has started there is no way back.
void ShutdownChoice::cmdCancel_Click()
{
    if (!m_handingBack)
        close(std::nullopt);
}

void ShutdownChoice::tmrRest_Timer()
{
    if (!m_handingBack || m_closed)
        return;
    if (m_progress != kProgressMaximum) {
        m_view.setProgress(++m_progress);
        return;
    }
    m_view.setRestTimerEnabled(false);
    m_view.setButtonsEnabled(false);
    close(ShutdownWay::RestoreConsole);
}

} // namespace ravelin
