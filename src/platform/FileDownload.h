// Downloads one small file without blocking the user-interface thread; the
// progress and completion handlers run on that thread. The Linux
// implementation is libcurl (qt/CurlDownload); tests use the scripted one in tests/support.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ravelin {

struct DownloadResult {
    bool ok = false;
    std::string data; // the file's bytes (what arrived, when not ok)
    std::string error; // why it failed, for diagnostics
};

class FileDownload {
public:
    struct Handlers {
        // Bytes expected so far (0 while the size is not known) and read.
        std::function<void(std::int64_t expected, std::int64_t read)> progress;
        std::function<void(const DownloadResult&)> complete;
    };

    virtual ~FileDownload() = default;
    // Starts a transfer; any earlier one is cancelled first.
    virtual void start(const std::string& location, Handlers handlers) = 0;
    // Stops the transfer; no handler runs after this returns.
    virtual void cancel() = 0;
};

} // namespace ravelin
