#include "platform/qt/CurlDownload.h"

#include <QMetaObject>

#include <curl/curl.h>

#include <mutex>

namespace ravelin {

struct CurlDownload::Transfer {
    std::atomic<bool> abort{false};
    std::size_t maxBytes = 0;
    std::string data;
    bool oversize = false;
    curl_off_t lastExpected = -1, lastRead = -1;
    std::function<void(std::int64_t, std::int64_t)> postProgress;
    // Held while posting and while aborting, so nothing is posted to a
    // context that a cancelled owner is about to destroy.
    std::mutex postLock;

    template <typename F>
    void post(QObject* context, F&& call)
    {
        std::lock_guard lock(postLock);
        if (!abort)
            QMetaObject::invokeMethod(context, std::forward<F>(call), Qt::QueuedConnection);
    }
};

namespace {

std::size_t writeData(char* bytes, std::size_t size, std::size_t count, void* user)
{
    auto* transfer = static_cast<CurlDownload::Transfer*>(user);
    const std::size_t n = size * count;
    if (transfer->data.size() + n > transfer->maxBytes) {
        transfer->oversize = true;
        return 0; // curl ends the transfer with a write error
    }
    transfer->data.append(bytes, n);
    return n;
}

int progress(void* user, curl_off_t expected, curl_off_t read, curl_off_t, curl_off_t)
{
    auto* transfer = static_cast<CurlDownload::Transfer*>(user);
    if (transfer->abort)
        return 1;
    if (expected != transfer->lastExpected || read != transfer->lastRead) {
        transfer->lastExpected = expected;
        transfer->lastRead = read;
        transfer->postProgress(expected, read);
    }
    return 0;
}

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

CurlDownload::CurlDownload() : CurlDownload(Limits{}) {}

CurlDownload::CurlDownload(Limits limits) : m_limits(limits) { globalInit(); }

CurlDownload::~CurlDownload() { stopWorker(true); }

void CurlDownload::stopWorker(bool wait)
{
    ++m_generation; // events already posted by the old transfer are dropped
    if (m_transfer) {
        std::lock_guard lock(m_transfer->postLock);
        m_transfer->abort = true;
    }
    if (m_worker.joinable()) {
        if (wait)
            m_worker.join();
        else
            m_worker.detach();
    }
    m_transfer.reset();
}

void CurlDownload::cancel() { stopWorker(false); }

void CurlDownload::start(const std::string& location, Handlers handlers)
{
    stopWorker(true);
    m_handlers = std::move(handlers);
    const unsigned generation = m_generation;
    auto transfer = std::make_shared<Transfer>();
    transfer->maxBytes = m_limits.maxBytes;
    // Posted calls check the generation on the user-interface thread, so a
    // cancelled transfer can never reach the handlers.
    QObject* context = &m_context;
    Transfer* raw = transfer.get();
    transfer->postProgress = [this, raw, context, generation](std::int64_t expected, std::int64_t read) {
        raw->post(context, [this, generation, expected, read] {
            if (generation == m_generation && m_handlers.progress)
                m_handlers.progress(expected, read);
        });
    };
    m_transfer = transfer;
    const Limits limits = m_limits;
    m_worker = std::thread([this, context, generation, transfer, location, limits] {
        CURL* curl = curl_easy_init();
        DownloadResult result;
        if (!curl) {
            result.error = "libcurl could not start a transfer";
        } else {
            char error[CURL_ERROR_SIZE] = {};
            curl_easy_setopt(curl, CURLOPT_URL, location.c_str());
            curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,ftp,file");
            curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
            curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
            curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
            curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
            curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
            curl_easy_setopt(curl, CURLOPT_USERAGENT, "Ravelin/" RAVELIN_VERSION_TEXT);
            curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(limits.connectTimeout.count()));
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(limits.stallTimeout.count()));
            curl_easy_setopt(curl, CURLOPT_TIMEOUT, long(limits.totalTimeout.count()));
            curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits.maxBytes));
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeData);
            curl_easy_setopt(curl, CURLOPT_WRITEDATA, transfer.get());
            curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
            curl_easy_setopt(curl, CURLOPT_XFERINFODATA, transfer.get());
            curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
            curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
            const CURLcode code = curl_easy_perform(curl);
            result.ok = code == CURLE_OK && !transfer->oversize;
            if (transfer->oversize)
                result.error = "the file is larger than " + std::to_string(limits.maxBytes) + " bytes";
            else if (code != CURLE_OK)
                result.error = *error ? error : curl_easy_strerror(code);
            curl_easy_cleanup(curl);
        }
        result.data = std::move(transfer->data);
        transfer->post(context, [this, generation, result = std::move(result)] {
            if (generation != m_generation)
                return;
            ++m_generation; // one completion per transfer
            if (m_handlers.complete)
                m_handlers.complete(result);
        });
    });
}

} // namespace ravelin
