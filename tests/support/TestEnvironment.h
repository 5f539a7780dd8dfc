// Private folders for a test process and helpers to find the built programs.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace ravelin::test {

// A fresh folder under the system temporary folder, removed on destruction.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "ravelin-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Folder of the built programs (ravelin, ravelin-console, q3sim, ...).
std::filesystem::path binDir();
std::filesystem::path sourceDir();

// A file's bytes ("" when it cannot be read).
std::string readFile(const std::filesystem::path& path);
// Writes `bytes` to `path`, making its folders first.
void writeFile(const std::filesystem::path& path, std::string_view bytes);

// Polls `condition` until it holds or the timeout passes; tests wait on
// conditions, never on fixed sleeps.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10),
             std::chrono::milliseconds step = std::chrono::milliseconds(10));

// `text` written `times` times over.
std::string repeat(std::string_view text, int times);

// How many times `needle` stands in `text`, overlaps counted.
std::size_t occurrences(const std::string& text, const std::string& needle);

} // namespace ravelin::test
