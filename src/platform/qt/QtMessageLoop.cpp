#include "platform/qt/QtMessageLoop.h"

#include <QCoreApplication>

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
