// FileDownload over libcurl (http, https, ftp, file). The transfer runs on a
// worker thread; progress and completion are posted to the thread that owns
// this object (the user-interface thread), so the window never waits on the
// network. Limits keep a bad location from holding the check: a size cap,
// a connect timeout and a stall timeout (too few bytes for too long).
#pragma once

#include "platform/FileDownload.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace ravelin {

class CurlDownload final : public FileDownload {
public:
    struct Limits {
        std::size_t maxBytes = 8 * 1024;
        std::chrono::seconds connectTimeout{20};
        // Fewer than one byte a second for this long ends the transfer.
        std::chrono::seconds stallTimeout{30};
        std::chrono::seconds totalTimeout{300};
    };

    CurlDownload();
    explicit CurlDownload(Limits limits);
    ~CurlDownload() override;

    void start(const std::string& location, Handlers handlers) override;
    void cancel() override;

    // The state one worker thread shares with its owner.
    struct Transfer;

private:
    void stopWorker(bool wait);

    Limits m_limits;
    QObject m_context; // queued calls land on its thread
    Handlers m_handlers;
    std::shared_ptr<Transfer> m_transfer;
    std::thread m_worker;
    unsigned m_generation = 0;
};

} // namespace ravelin
