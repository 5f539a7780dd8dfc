// The cost of the connect check with 100,000 bans (a third by name, a third
// by address, a third by key): BanList::match, indexed, against the
// reference of scanning every ban for the same player. Half the players
// checked are strangers; of the other half, two in three carry a banned
// address or key. Reported:
// microseconds per check and the ratio of scan to match (goal: a check
// under 1 ms).
//
//   bans_bench [--bans 100000] [--checks 20000]
#include "clients/BanList.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace ravelin;

namespace {

std::string address(int i)
{
    return "10." + std::to_string(i >> 16 & 255) + "." + std::to_string(i >> 8 & 255) + "." + std::to_string(i & 255);
}

const Ban* scan(const std::vector<Ban>& bans, const PlayerIdentity& who, std::int64_t now)
{
    for (const Ban& ban : bans)
        if (!ban.expiredAt(now)
            && ((!who.nameKey.empty() && ban.name == who.nameKey)
                || (!who.address.empty() && ban.address == who.address) || (!who.key.empty() && ban.key == who.key)))
            return &ban;
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    int banCount = 100000;
    int checks = 20000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--bans") == 0)
            banCount = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--checks") == 0)
            checks = std::atoi(argv[i + 1]);
    }
    BanList list;
    for (int i = 0; i < banCount; ++i) {
        Ban ban;
        ban.name = "\"Player" + std::to_string(i) + "\"";
        if (i % 3 == 1)
            ban.address = address(i);
        if (i % 3 == 2)
            ban.key = "KEY" + std::to_string(i);
        ban.since = 1;
        ban.ends = i % 2 ? 0 : 4'000'000'000;
        list.add(std::move(ban));
    }
    std::vector<PlayerIdentity> players;
    for (int i = 0; i < checks; ++i) {
        const int n = (i * 7919) % banCount;
        if (i % 2)
            players.push_back({"\"Guest" + std::to_string(i) + "\"", "192.168.0." + std::to_string(i % 250),
                               "G" + std::to_string(i)});
        else
            players.push_back({"\"Other\"", n % 3 == 1 ? address(n) : "", n % 3 == 2 ? "KEY" + std::to_string(n) : ""});
    }
    const std::int64_t now = 1'900'000'000;
    using Clock = std::chrono::steady_clock;
    int found = 0;
    auto start = Clock::now();
    for (const PlayerIdentity& who : players)
        found += list.match(who, now) != nullptr;
    const double matchUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / checks;
    // The scan is slow: a tenth of the checks is enough to time it.
    const int scanChecks = std::max(1, checks / 10);
    int scanned = 0;
    start = Clock::now();
    for (int i = 0; i < scanChecks; ++i)
        scanned += scan(list.bans(), players[static_cast<std::size_t>(i)], now) != nullptr;
    const double scanUs = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / scanChecks;
    std::printf("{\"bench\":\"bans\",\"bans\":%d,\"checks\":%d,\"banned\":%d,\"match_us\":%.3f,\"scan_us\":%.1f,"
                "\"scan_over_match\":%.0f}\n",
                banCount, checks, found, matchUs, scanUs, scanUs / matchUs);
    std::printf("bans: %d bans: a connect check takes %.3f us indexed, %.1f us scanning (%.0fx); %d of %d checked "
                "players were banned (%d of the first %d by the scan)\n",
                banCount, matchUs, scanUs, scanUs / matchUs, found, checks, scanned, scanChecks);
    return 0;
}
