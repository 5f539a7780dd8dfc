#include "platform/qt/QtWaitCursor.h"

#include <QApplication>
#include <QCursor>

namespace ravelin {

QtWaitCursor::QtWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

QtWaitCursor::~QtWaitCursor() { QApplication::restoreOverrideCursor(); }

} // namespace ravelin
