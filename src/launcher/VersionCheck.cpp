#include "launcher/VersionCheck.h"

#include <algorithm>

namespace ravelin {

VersionCheck::VersionCheck(SettingsStore& settings, Dialogs& dialogs, FileDownload& download, VersionNumber running,
                           Callbacks callbacks)
    : m_settings(settings), m_dialogs(dialogs), m_download(download), m_running(running),
      m_callbacks(std::move(callbacks))
{}

std::string VersionCheck::configuredLocation(SettingsStore& settings)
{
    std::string location = settings.getSetting(kSettingsApp, "Updates", "NextLoc", "");
    const auto blank = location.find_first_not_of(" \t");
    return blank == std::string::npos ? std::string() : location;
}

void VersionCheck::load()
{
    const std::string location = configuredLocation(m_settings);
    if (location.empty()) {
        finish();
        return;
    }
    m_download.start(
        location,
        FileDownload::Handlers{[this](std::int64_t expected, std::int64_t read) { FileReadProgress(expected, read); },
                               [this](const DownloadResult& result) { FileReadComplete(result); }});
}

void VersionCheck::cmdCancel_Click()
{
    if (m_finished)
        return;
    m_download.cancel();
    finish();
}

void VersionCheck::FileReadProgress(std::int64_t expected, std::int64_t read)
{
    if (m_finished)
        return;
    double maximum = double(expected) + 1;
    if (maximum == 1)
        maximum = double(read) + 1;
    // A server may send more than it announced; the bar still never runs
    // past its end.
    setBar(maximum, std::min(double(read), maximum));
}

void VersionCheck::FileReadComplete(const DownloadResult& result)
{
    if (m_finished)
        return;
    setBar(m_max, m_max);
    const auto file = result.ok ? parseVersionFile(result.data) : std::nullopt;
    if (!file) {
        if (m_callbacks.showFailure)
            m_callbacks.showFailure(kFailure, kFailureTitle);
        finish(!m_callbacks.showFailure);
        return;
    }
    // Stored before the operator is asked, so the next start reads the new
    // location whatever the answer.
    if (isWebLocation(file->nextLocation))
        m_settings.saveSetting(kSettingsApp, "Updates", "NextLoc", file->nextLocation);
    // Only a web location is offered: a version file must never make the
    // desktop run a local program.
    if (isNewer(*file, m_running) && isWebLocation(file->location)
        && m_dialogs.messageBox(kNewer, Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes && m_callbacks.openLocation)
        m_callbacks.openLocation(file->location);
    finish();
}

void VersionCheck::setBar(double maximum, double value)
{
    m_max = maximum;
    m_value = value;
    if (m_callbacks.barChanged)
        m_callbacks.barChanged(m_max, m_value);
}

void VersionCheck::finish(bool closeWindow)
{
    m_finished = true;
    if (closeWindow && m_callbacks.closeWindow)
        m_callbacks.closeWindow();
}

} // namespace ravelin
