#include "platform/qt/QtMessageLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace ravelin {

namespace {
int g_depth = 0;
}

void QtMessageLoop::yield()
{
    ++g_depth;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --g_depth;
}

int QtMessageLoop::depth() { return g_depth; }

} // namespace ravelin

namespace ravelin {

// Events run as they come for the whole pause, instead of the caller
// spinning through yields.
void QtMessageLoop::pause(std::chrono::milliseconds most)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QEventLoop wait;
    QTimer::singleShot(most, &wait, &QEventLoop::quit);
    wait.exec();
}

} // namespace ravelin
