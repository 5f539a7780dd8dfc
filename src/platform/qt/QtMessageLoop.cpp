#include "platform/qt/QtMessageLoop.h"

#include <QCoreApplication>

namespace ravelin {

void QtMessageLoop::yield() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

} // namespace ravelin
