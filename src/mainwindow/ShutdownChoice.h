// The shutdown dialog's logic: four ways to finish the work with a server,
// chosen by option and confirmed with Ok. Handing the console back first
// fills a progress bar (one step per 10 ms tick of tmrRest, 100 steps) and
// cannot be cancelled once started; the ways that stop the server send QUIT
// before the dialog closes. What happens to the main window afterwards is
// MainSession::leave's.
#pragma once

#include <array>
#include <functional>
#include <optional>

namespace ravelin {

enum class ShutdownWay { RestoreConsole = 0, SelectServer = 1, ShutdownAndEnd = 2, ShutdownAndSelect = 3 };

inline constexpr std::array<const char*, 4> kShutdownCaptions = {
    "Restore Q3:A Default Console", "Select Server to Monitor", "Shutdown Quake 3: Arena && Ravelin",
    "Shutdown Quake 3: Arena  && Select New Server"};

class ShutdownDialogView {
public:
    virtual ~ShutdownDialogView() = default;
    // picRest with its label and pbMain.
    virtual void showRestPanel() = 0;
    virtual void setButtonsEnabled(bool enabled) = 0;
    virtual void setRestTimerEnabled(bool enabled) = 0;
    virtual void setProgress(int value) = 0;
    virtual void closeDialog() = 0;
};

class ShutdownChoice {
public:
    static constexpr int kProgressMaximum = 100;
    static constexpr int kRestInterval = 10;
    static constexpr ShutdownWay kInitialWay = ShutdownWay::SelectServer;

    ShutdownChoice(ShutdownDialogView& view, std::function<void()> sendQuit);

    void cmdOk_Click(ShutdownWay way);
    void cmdCancel_Click();
    void tmrRest_Timer();

    // The way carried out, once the dialog has closed on it; none after Cancel.
    std::optional<ShutdownWay> chosen() const { return m_closedOn; }
    bool handingBack() const { return m_handingBack; }
    int progress() const { return m_progress; }

private:
    void close(std::optional<ShutdownWay> way);

    ShutdownDialogView& m_view;
    std::function<void()> m_sendQuit;
    std::optional<ShutdownWay> m_closedOn;
    bool m_handingBack = false;
    bool m_closed = false;
    int m_progress = 0;
};

} // namespace ravelin
