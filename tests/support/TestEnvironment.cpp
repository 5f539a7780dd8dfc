#include "support/TestEnvironment.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <random>
#include <thread>

namespace ravelin::test {

TempDir::TempDir(const std::string& prefix)
{
    std::random_device rd;
    for (;;) {
        auto candidate = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            break;
        }
    }
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

// The folder an environment variable names, or the current one.
static std::filesystem::path folderFrom(const char* variable)
{
    const char* dir = std::getenv(variable);
    return dir ? std::filesystem::path(dir) : std::filesystem::current_path();
}

std::filesystem::path binDir() { return folderFrom("RAVELIN_BIN_DIR"); }
std::filesystem::path sourceDir() { return folderFrom("RAVELIN_SOURCE_DIR"); }

std::string repeat(std::string_view text, int times)
{
    std::string out;
    out.reserve(text.size() * static_cast<std::size_t>(std::max(times, 0)));
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

std::size_t occurrences(const std::string& text, const std::string& needle)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout, std::chrono::milliseconds step)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(step);
    }
    return true;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::filesystem::path& path, std::string_view bytes)
{
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace ravelin::test
