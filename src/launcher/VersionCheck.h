// The update check behind the "Checking Version" window: downloads the
// version file from "Updates"/"NextLoc", moves the progress bar, and on
// completion stores the next location and offers a newer version. The
// window owns one VersionCheck, forwards Cancel to it and shows the bar.
//
// Nothing is checked until an operator (or a packager) names a location:
// there is no public version file to default to, and a check bound to fail
// at every start is noise. A failure is reported through the window, never
// by a modal box: a modal box would hold up the main window's first
// activation, and with it connecting, the scripts and the server port.
#pragma once

#include "launcher/VersionFile.h"
#include "platform/Dialogs.h"
#include "platform/FileDownload.h"
#include "platform/SettingsStore.h"

#include <functional>
#include <string>

namespace ravelin {

class VersionCheck {
public:
    static constexpr const char* kFailure = "Failed to download update!";
    static constexpr const char* kFailureTitle = "Download Failure!";
    static constexpr const char* kNewer =
        "There is a newer version of the software, would you like to download it now?";

    struct Callbacks {
        // The bar's maximum and value changed (value never above maximum).
        std::function<void(double maximum, double value)> barChanged;
        // Hands a web location to the desktop to open.
        std::function<void(const std::string& location)> openLocation;
        // The check is over; the window closes.
        std::function<void()> closeWindow;
        // The check failed: the window shows `text` under `title` and stays
        // until the operator closes it.
        std::function<void(const std::string& text, const std::string& title)> showFailure;
    };

    VersionCheck(SettingsStore& settings, Dialogs& dialogs, FileDownload& download, VersionNumber running,
                 Callbacks callbacks);

    // The stored location, "" when none is configured (no check then).
    static std::string configuredLocation(SettingsStore& settings);

    // Window load: starts the transfer from the stored location; with none
    // configured the check ends at once, silently.
    void load();
    void cmdCancel_Click();

    double barMaximum() const { return m_max; }
    double barValue() const { return m_value; }
    bool finished() const { return m_finished; }

private:
    void FileReadProgress(std::int64_t expected, std::int64_t read);
    void FileReadComplete(const DownloadResult& result);
    void setBar(double maximum, double value);
    void finish(bool closeWindow = true);

    SettingsStore& m_settings;
    Dialogs& m_dialogs;
    FileDownload& m_download;
    VersionNumber m_running;
    Callbacks m_callbacks;
    double m_max = 100;
    double m_value = 0;
    bool m_finished = false;
};

} // namespace ravelin
