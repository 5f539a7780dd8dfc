#include "stats/StatsFeature.h"

#include <charconv>
#include <chrono>
#include <ctime>

namespace ravelin::stats {

namespace {

constexpr const char* kStatsSection = "Statistics";
constexpr const char* kWebSection = "WebStatistics";

int toInt(const std::string& text, int fallback)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : fallback;
}

bool toBool(const std::string& text)
{
    return text == "1" || text == "true" || text == "True" || text == "TRUE" || text == "yes";
}

// One parameter of a query string ("span=today&x=1"); no decoding is needed
// for the values this page uses.
std::string queryValue(const std::string& query, std::string_view key)
{
    std::string_view rest = query;
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        const std::size_t eq = pair.find('=');
        if (pair.substr(0, eq) == key)
            return std::string(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1));
        if (amp == std::string_view::npos)
            break;
        rest.remove_prefix(amp + 1);
    }
    return {};
}

} // namespace

StatsFeature::StatsFeature(SettingsStore& settings, std::filesystem::path dataFolder, HttpServer* http,
                           std::function<std::int64_t()> now)
    : m_settings(settings), m_dataFolder(std::move(dataFolder)), m_http(http), m_now(std::move(now))
{
    if (!m_now)
        m_now = [] {
            return static_cast<std::int64_t>(
                std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
                    .count());
        };
    m_showBots = toBool(m_settings.getSetting(kSettingsApp, kStatsSection, "ShowBots", "0"));
    m_retentionDays = std::max(0, toInt(m_settings.getSetting(kSettingsApp, kStatsSection, "RetentionDays", "0"), 0));
    m_web.enabled = toBool(m_settings.getSetting(kSettingsApp, kWebSection, "Enabled", "0"));
    m_web.address = m_settings.getSetting(kSettingsApp, kWebSection, "Address", WebSettings::kDefaultAddress);
    if (m_web.address.empty())
        m_web.address = WebSettings::kDefaultAddress;
    m_web.port =
        toInt(m_settings.getSetting(kSettingsApp, kWebSection, "Port", std::to_string(WebSettings::kDefaultPort)),
              WebSettings::kDefaultPort);
}

StatsFeature::~StatsFeature()
{
    if (m_http)
        m_http->close();
    if (m_store) {
        try {
            m_store->commit();
        } catch (const sql::Error&) {
            // The pass being written is what a crash would lose too.
        }
    }
}

std::filesystem::path StatsFeature::databasePath(const std::filesystem::path& dataFolder, const std::string& host,
                                                 int port)
{
    std::string name = host.empty() ? std::string("server") : host;
    for (char& c : name) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '_' || c == '-';
        if (!keep)
            c = '_';
    }
    return dataFolder / "stats" / (name + "_" + std::to_string(port) + ".sqlite");
}

void StatsFeature::open(const std::string& serverName, int port, const std::string& runningMap)
{
    if (m_store)
        return;
    m_serverName = serverName;
    m_file = databasePath(m_dataFolder, serverName, port);
    m_store = std::make_unique<StatsStore>(m_file.string());
    m_recorder = std::make_unique<StatsRecorder>(*m_store);
    m_recorder->setRetentionDays(m_retentionDays);
    m_recorder->setRunningMap(runningMap);
    // A long history is read once; that happens now, beside the pump.
    m_store->warm(windowOf(Span::AllTime));
    m_store->warm(windowOf(Span::Today));
    if (m_web.enabled)
        startWeb();
}

void StatsFeature::line(const std::string& text)
{
    if (!m_recorder)
        return;
    try {
        m_recorder->line(text, m_now());
    } catch (const sql::Error&) {
        // A full disk or a file taken away: this line is lost, the next pass tries again.
    }
}

void StatsFeature::endPass()
{
    if (!m_recorder)
        return;
    try {
        m_recorder->endPass(m_now());
        m_store->adoptWarmed();
    } catch (const sql::Error&) {}
}

std::int64_t StatsFeature::startOfToday() const
{
    const std::time_t t = static_cast<std::time_t>(m_now());
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    return static_cast<std::int64_t>(std::mktime(&local));
}

Window StatsFeature::windowOf(Span span) const
{
    const std::int64_t end = m_now() + 1;
    switch (span) {
    case Span::Game: {
        const std::int64_t game = m_recorder ? m_recorder->currentGame() : 0;
        // No game seen yet: an empty window rather than all time.
        if (game == 0)
            return {end, end, 0};
        return {m_recorder->currentGameStart(), end, game};
    }
    case Span::Today: return {startOfToday(), end, 0};
    case Span::AllTime: break;
    }
    return {0, end, 0};
}

StatsSnapshot StatsFeature::snapshot(Span span)
{
    StatsSnapshot s;
    s.span = span;
    s.server = m_serverName;
    s.now = m_now();
    if (!m_store)
        return s;
    s.problem = m_store->problem();
    s.map = m_recorder->currentMap();
    const Window window = windowOf(span);
    try {
        s.players = m_store->players(window, m_showBots, s.now);
        s.weapons = m_store->weapons(window, m_showBots);
        s.games = m_store->games(window, kGamesShown);
        s.online = m_store->samples(s.now - 86400, s.now + 1);
    } catch (const sql::Error& error) {
        s.problem = std::string("The statistics cannot be read: ") + error.what();
    }
    return s;
}

void StatsFeature::setShowBots(bool show)
{
    m_showBots = show;
    m_settings.saveSetting(kSettingsApp, kStatsSection, "ShowBots", show ? "1" : "0");
}

void StatsFeature::setRetentionDays(int days)
{
    m_retentionDays = std::max(0, days);
    m_settings.saveSetting(kSettingsApp, kStatsSection, "RetentionDays", std::to_string(m_retentionDays));
    if (m_recorder)
        m_recorder->setRetentionDays(m_retentionDays);
}

void StatsFeature::applyWeb(const WebSettings& settings)
{
    m_web = settings;
    if (m_web.address.empty())
        m_web.address = WebSettings::kDefaultAddress;
    m_settings.saveSetting(kSettingsApp, kWebSection, "Enabled", m_web.enabled ? "1" : "0");
    m_settings.saveSetting(kSettingsApp, kWebSection, "Address", m_web.address);
    m_settings.saveSetting(kSettingsApp, kWebSection, "Port", std::to_string(m_web.port));
    m_webProblem.clear();
    if (!m_http)
        return;
    m_http->close();
    if (m_web.enabled && m_store)
        startWeb();
}

void StatsFeature::startWeb()
{
    m_webProblem.clear();
    if (!m_http) {
        m_webProblem = "This build has no web server.";
        return;
    }
    if (m_web.port < 0 || m_web.port > 65535) {
        m_webProblem = "The port must be a number from 0 to 65535.";
        return;
    }
    m_webProblem = m_http->listen(m_web.address, m_web.port, [this](const std::string& path, const std::string& query) {
        return answer(path, query);
    });
}

std::string StatsFeature::webUrl() const
{
    if (!webServing())
        return {};
    const bool v6 = m_web.address.find(':') != std::string::npos;
    std::string host = m_web.address == "0.0.0.0" ? std::string("127.0.0.1") : m_web.address;
    if (m_web.address == "::")
        host = "::1";
    return "http://" + (v6 && host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":"
        + std::to_string(m_http->port()) + "/";
}

bool StatsFeature::isPublicAddress(const std::string& address)
{
    return !(address.rfind("127.", 0) == 0 || address == "::1" || address == "localhost");
}

HttpResponse StatsFeature::answer(const std::string& path, const std::string& query)
{
    Span span = Span::AllTime;
    const std::string key = queryValue(query, "span");
    if (key == "game")
        span = Span::Game;
    else if (key == "today")
        span = Span::Today;
    if (path == "/" || path == "/index.html")
        return {200, "text/html; charset=utf-8", renderStatsPage(snapshot(span))};
    if (path == "/player" && m_store) {
        const int id = toInt(queryValue(query, "id"), 0);
        StatsSnapshot context;
        context.span = span;
        context.server = m_serverName;
        context.problem = m_store->problem();
        try {
            if (auto player = m_store->playerById(id, windowOf(span), m_now()))
                return {200, "text/html; charset=utf-8",
                        renderPlayerPage(context, *player, m_store->weaponsOf(id, windowOf(span)))};
        } catch (const sql::Error&) {}
    }
    return {404, "text/html; charset=utf-8", renderNotFound()};
}

} // namespace ravelin::stats
