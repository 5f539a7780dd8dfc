// The "Checking Version" window over libcurl against a small HTTP server in
// the test process: a newer version, a slow server, a stalled one, Cancel,
// an oversize file, a refused connection and a file: location.
#include "../mainwindow/QtTestApp.h"
#include "launcher/FrmVersion.h"
#include "launcher/VersionCheck.h"
#include "platform/qt/CurlDownload.h"
#include "platform/sim/SimServices.h"
#include "support/TestEnvironment.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>

using namespace ravelin;
using test::waitForQt;

namespace {

// Answers every request with `body` (NotFound: as a 404 page). Slow: one byte
// every few milliseconds. Stall: announces the body, sends its first bytes,
// then nothing.
class HttpServer {
public:
    enum class Mode { Whole, Slow, Stall, NotFound };

    HttpServer(std::string body, Mode mode) : m_body(std::move(body)), m_mode(mode)
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
    }

    std::string url(const std::string& path = "/ravelin/version.txt") const
    {
        return "http://127.0.0.1:" + std::to_string(m_server.serverPort()) + path;
    }
    std::string requested;
    int bytesSent = 0;

private:
    void answer(QTcpSocket* socket)
    {
        m_request += socket->readAll().toStdString();
        if (m_request.find("\r\n\r\n") == std::string::npos)
            return;
        requested = m_request.substr(0, m_request.find("\r\n"));
        const std::string status = m_mode == Mode::NotFound ? "404 Not Found" : "200 OK";
        socket->write(("HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(m_body.size())
                       + "\r\nConnection: close\r\n\r\n")
                          .c_str());
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [this, socket, timer] {
            if (m_mode == Mode::Stall && bytesSent >= 3)
                return;
            const int piece = m_mode == Mode::Slow || m_mode == Mode::Stall ? 1 : int(m_body.size());
            socket->write(m_body.data() + bytesSent, piece);
            if ((bytesSent += piece) == int(m_body.size())) {
                timer->stop();
                socket->disconnectFromHost();
            }
        });
        timer->start(15);
    }

    QTcpServer m_server;
    std::string m_body;
    Mode m_mode;
    std::string m_request;
};

struct VersionDownloadTest : testing::Test {
    sim::MemorySettings settings;
    sim::ScriptedDialogs dialogs;
    QPointer<FrmVersion> window;
    std::vector<std::pair<int, int>> bars;

    void open(const std::string& location, CurlDownload::Limits limits = {})
    {
        settings.saveSetting("Ravelin", "Updates", "NextLoc", location);
        window = new FrmVersion(settings, dialogs, std::make_unique<CurlDownload>(limits));
        window->setAttribute(Qt::WA_DeleteOnClose);
        auto* bar = window->findChild<QProgressBar*>("pbMain");
        QObject::connect(bar, &QProgressBar::valueChanged, bar,
                         [this, bar](int value) { bars.emplace_back(bar->maximum(), value); });
        window->show();
        window->load();
    }
    bool closed()
    {
        return waitForQt([&] { return window.isNull(); }, 30000);
    }
    std::string nextLoc() { return settings.getSetting("Ravelin", "Updates", "NextLoc", ""); }
    // A failure stays in the window without a modal box; Close ends it.
    bool failureShownThenClosed()
    {
        if (!waitForQt([&] { return !window.isNull() && window->windowTitle() == "Download Failure!"; }, 30000))
            return false;
        auto* close = window->findChild<QPushButton*>("cmdCancel");
        if (window->findChild<QLabel*>("Label1")->text() != VersionCheck::kFailure || close->text() != "&Close"
            || !dialogs.asked().empty())
            return false;
        close->click();
        return closed();
    }
};

TEST_F(VersionDownloadTest, CancelEndsAStalledTransferQuietly)
{
    HttpServer server("1.0.449 http://x/r.zip http://x/next.txt", HttpServer::Mode::Stall);
    open(server.url());
    ASSERT_TRUE(waitForQt([&] { return server.bytesSent >= 3; }));
    EXPECT_EQ(window->windowTitle(), "Checking Version");
    EXPECT_EQ(window->findChild<QLabel*>("Label1")->text(), FrmVersion::kLabel);
    EXPECT_EQ(window->findChild<QPushButton*>("cmdCancel")->text(), "&Cancel");
    window->findChild<QPushButton*>("cmdCancel")->click();
    ASSERT_TRUE(closed());
    EXPECT_TRUE(dialogs.asked().empty());
}

// A newer version is offered (answered No) and the next location stored; a
// slow server's progress moves the bar in steps to the end.
TEST_F(VersionDownloadTest, NewerVersionIsOfferedAndASlowServerMovesTheBarToTheEnd)
{
    HttpServer newer("1.0.449 https://example.invalid/ravelin.deb http://mirror/v.txt\n", HttpServer::Mode::Whole);
    open(newer.url());
    ASSERT_TRUE(closed());
    EXPECT_EQ(newer.requested, "GET /ravelin/version.txt HTTP/1.1");
    EXPECT_EQ(dialogs.askedTexts(), std::vector<std::string>{VersionCheck::kNewer});
    EXPECT_EQ(nextLoc(), "http://mirror/v.txt");

    dialogs.clear();
    bars.clear();
    const std::string body = "1.0.448 http://x/r.zip http://x/next.txt";
    HttpServer slow(body, HttpServer::Mode::Slow);
    open(slow.url());
    ASSERT_TRUE(closed());
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_EQ(nextLoc(), "http://x/next.txt");
    ASSERT_GE(bars.size(), 3u) << "progress arrived in steps";
    for (const auto& [maximum, value] : bars)
        EXPECT_LE(value, maximum);
    const int end = int(body.size()) + 1; // bytes + 1, filled at completion
    EXPECT_EQ(bars.back(), std::make_pair(end, end));
}

// A stalled transfer times out; none of these stores a next location.
TEST_F(VersionDownloadTest, StalledOversizeMissingAndRefusedAreFailures)
{
    HttpServer stalled("1.0.449 http://x/r.zip http://x/next.txt", HttpServer::Mode::Stall);
    HttpServer big("1.0.449 http://x/r.zip http://x/next.txt" + std::string(20000, ' '), HttpServer::Mode::Whole);
    // A missing file whose error page reads like a newer version file.
    HttpServer missing("1.0.449 http://x/r.zip http://x/next.txt", HttpServer::Mode::NotFound);
    QTcpServer closedPort;
    closedPort.listen(QHostAddress::LocalHost);
    const std::string refused = "http://127.0.0.1:" + std::to_string(closedPort.serverPort()) + "/v.txt";
    closedPort.close();
    CurlDownload::Limits limits;
    limits.stallTimeout = std::chrono::seconds(1);
    for (const std::string& location : {stalled.url(), big.url(), missing.url(), refused}) {
        open(location, limits);
        ASSERT_TRUE(failureShownThenClosed()) << location;
        EXPECT_EQ(nextLoc(), location);
    }
}

TEST_F(VersionDownloadTest, FileLocationIsReadButNotStoredAsNext)
{
    test::TempDir dir;
    const auto file = dir.path() / "version.txt";
    std::ofstream(file) << "1.0.448 http://x/r.zip file://" << file.string() << "\n";
    open("file://" + file.string());
    ASSERT_TRUE(closed());
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_EQ(nextLoc(), "file://" + file.string()); // unchanged: only web locations are stored
}

} // namespace
