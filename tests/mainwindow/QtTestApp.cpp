#include "QtTestApp.h"

#include "platform/qt/Accessible.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace ravelin::test {

namespace {

class QtAppEnvironment final : public testing::Environment {
public:
    void SetUp() override
    {
        // Windows stay off the operator's screen unless asked otherwise.
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "ravelin-test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        accessible::installClickingToggles();
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] testing::Environment* const kQtApp = testing::AddGlobalTestEnvironment(new QtAppEnvironment);

} // namespace

void onModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        if (QWidget* modal = QApplication::activeModalWidget())
            act(modal);
        else
            onModal(act);
    });
}

bool columnsLineUp(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(QChar('0'));
    for (char c = ' '; c < 0x7f; ++c)
        if (metrics.horizontalAdvance(QChar(c)) != width)
            return false;
    return width > 0;
}

bool waitForQt(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

} // namespace ravelin::test
