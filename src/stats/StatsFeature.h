// The statistics of the connected server as the main window offers them:
// the history file in the data folder (opened once the server's name and
// port are known), the recorder fed by the console pump, the figures for
// this game, today and all time, the options (bots shown, retention) and
// the read-only web page with its settings in [WebStatistics].
#pragma once

#include "platform/HttpServer.h"
#include "platform/SettingsStore.h"
#include "stats/StatsPage.h"
#include "stats/StatsRecorder.h"
#include "stats/StatsStore.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace ravelin::stats {

struct WebSettings {
    static constexpr int kDefaultPort = 27980;
    static constexpr const char* kDefaultAddress = "127.0.0.1";
    bool enabled = false;
    std::string address = kDefaultAddress;
    int port = kDefaultPort;
};

class StatsFeature {
public:
    static constexpr int kGamesShown = 50;

    // `now` gives Unix seconds (the system clock when empty).
    StatsFeature(SettingsStore& settings, std::filesystem::path dataFolder, HttpServer* http,
                 std::function<std::int64_t()> now = {});
    ~StatsFeature();

    // `<data>/stats/<host>_<port>.sqlite`, characters outside
    // [A-Za-z0-9._-] replaced by '_'.
    static std::filesystem::path databasePath(const std::filesystem::path& dataFolder, const std::string& host,
                                              int port);

    // Opens the history (once) and starts the web page when it is enabled.
    // `runningMap`: the map loaded now ("" when none or not known).
    void open(const std::string& serverName, int port, const std::string& runningMap = {});
    bool opened() const { return m_store != nullptr; }
    // Every console line of a pump pass, then the end of the pass.
    void line(const std::string& text);
    void endPass();

    StatsSnapshot snapshot(Span span);
    // Why the history is only in memory ("" when it is on disk, or not open).
    std::string problem() const { return m_store ? m_store->problem() : std::string(); }
    std::filesystem::path databaseFile() const { return m_file; }

    bool showBots() const { return m_showBots; }
    void setShowBots(bool show);
    int retentionDays() const { return m_retentionDays; }
    void setRetentionDays(int days);

    const WebSettings& web() const { return m_web; }
    // Saves the settings and starts or stops the page accordingly.
    void applyWeb(const WebSettings& settings);
    // "" when the page is off or serving; otherwise why it is not.
    const std::string& webProblem() const { return m_webProblem; }
    bool webServing() const { return m_http && m_http->port() != 0; }
    std::string webUrl() const;
    // True for an address that other machines can reach.
    static bool isPublicAddress(const std::string& address);

    // The web page's answer for a path and query.
    HttpResponse answer(const std::string& path, const std::string& query);

    std::int64_t now() const { return m_now(); }
    StatsStore* store() { return m_store.get(); }
    StatsRecorder* recorder() { return m_recorder.get(); }

private:
    void startWeb();
    std::int64_t startOfToday() const;
    Window windowOf(Span span) const;

    SettingsStore& m_settings;
    std::filesystem::path m_dataFolder;
    HttpServer* m_http;
    std::function<std::int64_t()> m_now;
    std::filesystem::path m_file;
    std::string m_serverName;
    std::unique_ptr<StatsStore> m_store;
    std::unique_ptr<StatsRecorder> m_recorder;
    bool m_showBots = false;
    int m_retentionDays = 0;
    WebSettings m_web;
    std::string m_webProblem;
};

} // namespace ravelin::stats
