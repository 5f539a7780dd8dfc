// A server whose console output is collected for inspection.
#pragma once

#include "q3sim/Server.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

class ServerFixture : public ::testing::Test {
protected:
    explicit ServerFixture(const std::string& basePath = "/srv/q3", const std::string& homePath = {})
        : server([this](const std::string& line) { output.push_back(line); }, 7, basePath)
    {
        if (!homePath.empty())
            server.startupSet("fs_homepath", homePath);
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

// The folder is a base so it exists before the server is made.
struct ServerFolder {
    ravelin::test::TempDir dir{"q3sim-files"};
};

// A server on real base (dir/base) and home (dir/home) folders, for the
// commands that read and write files.
class FileServerFixture : protected ServerFolder, public ServerFixture {
protected:
    FileServerFixture()
        : ServerFixture((ServerFolder::dir.path() / "base").string(), (ServerFolder::dir.path() / "home").string())
    {}
    std::filesystem::path path(const std::string& relative) const { return dir.path() / relative; }
};
