#include "platform/ipc/EndpointFolder.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ravelin::ipc;
using ravelin::test::TempDir;
namespace fs = std::filesystem;

TEST(EndpointFolderTest, DefaultFolderIsUnderTheRuntimeFolder)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    ASSERT_NE(runtime, nullptr);
    EXPECT_EQ(defaultEndpointFolder(), fs::path(runtime) / "ravelin" / "consoles");
    std::string saved = runtime;
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(defaultEndpointFolder(), fs::path("/tmp/ravelin-" + std::to_string(::geteuid())) / "consoles");
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

// Private when made; refused once open to others or behind a link.
TEST(EndpointFolderTest, OnlyAPrivateFolderOfItsOwnIsUsed)
{
    TempDir dir;
    fs::path folder = dir.path() / "ravelin" / "consoles";
    ASSERT_EQ(prepareEndpointFolder(folder), "");
    struct stat st {};
    for (const fs::path& made : {folder, folder.parent_path()}) {
        ASSERT_EQ(::stat(made.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << made;
    }
    ::chmod(folder.c_str(), 0777);
    std::string problem = prepareEndpointFolder(folder);
    EXPECT_NE(problem.find("refusing"), std::string::npos) << problem;
    EXPECT_NE(problem.find("0777"), std::string::npos) << problem;

    fs::path real = dir.path() / "ravelin" / "elsewhere";
    ASSERT_EQ(prepareEndpointFolder(real), "");
    fs::create_directory_symlink(real, dir.path() / "ravelin" / "linked");
    EXPECT_NE(checkEndpointFolder(dir.path() / "ravelin" / "linked"), "");
}

TEST(EndpointFolderTest, NamesSortInStartOrderAndCarryThePid)
{
    std::string early = makeEndpointName(0x0000000fULL, 99999);
    std::string late = makeEndpointName(0x000000f0ULL, 1);
    EXPECT_LT(early, late);
    auto parsed = parseEndpointName(late);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(std::pair(parsed->pid, parsed->startNs), std::pair(1, std::uint64_t(0xf0)));
    for (const char* bad : {"notasocket", "00000000000000zz-12.sock", "000000000000000f-.sock"})
        EXPECT_FALSE(parseEndpointName(bad)) << bad;
}

TEST(EndpointFolderTest, DeepFoldersStillBindAndConnect)
{
    TempDir dir;
    fs::path folder = dir.path() / std::string(60, 'd') / std::string(60, 'e');
    ASSERT_EQ(prepareEndpointFolder(folder), "");
    std::string name = makeEndpointName(1, ::getpid());
    ASSERT_GT((folder / name).string().size(), 108u);
    std::string error;
    int listener = listenEndpoint(folder, name, error);
    ASSERT_GE(listener, 0) << error;
    EXPECT_TRUE(fs::exists(folder / name));
    EXPECT_EQ(listEndpoints(folder), (std::vector<std::string>{name}));
    int client = connectEndpoint(folder, name);
    EXPECT_GE(client, 0);
    EXPECT_EQ(peerUid(client), static_cast<long>(::geteuid()));
    ::close(client);
    ::close(listener);
}

// A lister racing a starting host must never find the endpoint before it
// listens: it would be refused, and a refused endpoint counts as a dead
// host's leftover and gets removed.
TEST(EndpointFolderTest, AnEndpointIsListedOnlyOnceItListens)
{
    TempDir dir;
    fs::path folder = dir.path() / "ravelin" / "consoles";
    ASSERT_EQ(prepareEndpointFolder(folder), "");
    std::atomic<bool> done{false};
    std::atomic<int> refused{0};
    std::thread lister([&] {
        while (!done) {
            for (const auto& name : listEndpoints(folder)) {
                int fd = connectEndpoint(folder, name);
                if (fd >= 0)
                    ::close(fd);
                // Refused by one that has gone already is its ending, not
                // its start.
                else if (errno == ECONNREFUSED && fs::exists(folder / name))
                    ++refused;
            }
        }
    });
    // Each endpoint goes (name first, so nobody is refused by a closed
    // one) before the next comes, which keeps the lister's passes short.
    for (int i = 0; i < 3000; ++i) {
        std::string name = makeEndpointName(static_cast<std::uint64_t>(i), ::getpid());
        std::string error;
        int fd = listenEndpoint(folder, name, error);
        ASSERT_GE(fd, 0) << error;
        ::unlink((folder / name).c_str());
        ::close(fd);
    }
    done = true;
    lister.join();
    EXPECT_EQ(refused, 0);
    EXPECT_TRUE(fs::is_empty(folder)) << "no half-made endpoint is left behind";
}

TEST(EndpointFolderTest, APendingEndpointOfAnEndedHostIsRemovedByTheNextOne)
{
    TempDir dir;
    fs::path folder = dir.path() / "ravelin" / "consoles";
    ASSERT_EQ(prepareEndpointFolder(folder), "");
    pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    auto leaveBound = [&](pid_t pid) {
        std::string pending = "." + makeEndpointName(1, pid) + ".new";
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string path = (folder / pending).string();
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
        ::close(fd);
        return folder / pending;
    };
    fs::path abandoned = leaveBound(ended);
    fs::path inUse = leaveBound(::getpid());
    std::string error;
    int fd = listenEndpoint(folder, makeEndpointName(2, ::getpid()), error);
    ASSERT_GE(fd, 0) << error;
    ::close(fd);
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(inUse)) << "a living host may be publishing under it";
}
