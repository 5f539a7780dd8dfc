// A download driven by the test: it records the location it was asked for,
// and the test delivers progress and completion when it chooses.
#pragma once

#include "platform/FileDownload.h"

#include <string>

namespace ravelin::sim {

class ScriptedDownload final : public FileDownload {
public:
    void start(const std::string& location, Handlers handlers) override
    {
        started = location;
        running = true;
        m_handlers = std::move(handlers);
    }
    void cancel() override
    {
        cancelled = running;
        running = false;
    }

    void progress(std::int64_t expected, std::int64_t read)
    {
        if (running && m_handlers.progress)
            m_handlers.progress(expected, read);
    }
    void complete(bool ok, std::string data)
    {
        if (!running)
            return;
        running = false;
        if (m_handlers.complete)
            m_handlers.complete(DownloadResult{ok, std::move(data), ok ? "" : "failed"});
    }

    std::string started;
    bool running = false;
    bool cancelled = false;

private:
    Handlers m_handlers;
};

} // namespace ravelin::sim
