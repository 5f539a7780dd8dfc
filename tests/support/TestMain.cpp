// Every test process runs with its own configuration, runtime and
// application folders, created fresh and removed at exit.
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv)
{
    testing::InitGoogleMock(&argc, argv);
    ravelin::test::TempDir root("ravelin-testenv");
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "RAVELIN_HOME", "XDG_DATA_HOME"}) {
        auto dir = root.path() / name;
        std::filesystem::create_directories(dir);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
        setenv(name, dir.c_str(), 1);
    }
    return RUN_ALL_TESTS();
}
