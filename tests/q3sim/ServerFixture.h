// A server whose console output is collected for inspection.
#pragma once

#include "q3sim/Server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

class ServerFixture : public ::testing::Test {
protected:
    explicit ServerFixture(const std::string& basePath = "/srv/q3")
        : server([this](const std::string& line) { output.push_back(line); }, 7, basePath)
    {
        server.finishStartupSets();
        server.spawnMap("q3dm17");
        output.clear();
    }

    // Runs command text and returns what it printed.
    std::vector<std::string> run(const std::string& text)
    {
        output.clear();
        server.executeText(text + "\n");
        return output;
    }

    bool printed(const std::string& line) const
    {
        return std::find(output.begin(), output.end(), line) != output.end();
    }

    std::vector<std::string> output;
    q3sim::Server server;
};
