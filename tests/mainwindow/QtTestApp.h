// One QApplication for the whole test process, created before the first
// test runs (after the test main has given the process its own folders).
#pragma once

#include <QObject>

#include <gtest/gtest.h>

#include <functional>

class QFont;
class QWidget;

namespace ravelin::test {

// Whether columns of text line up in this font: every printable ASCII
// character is as wide as every other. (A font such as Noto Sans Mono does
// this yet is not reported fixed-pitch, for glyphs far outside ASCII.)
bool columnsLineUp(const QFont& font);

// Runs `act` on the next modal dialog as soon as it is up.
void onModal(std::function<void(QWidget*)> act);

// Runs pending Qt events until `condition` holds or the timeout passes.
bool waitForQt(const std::function<bool()>& condition, int timeoutMs = 10000);

// The child of `root` with this object name; a failure when there is none.
template <typename T>
T* child(const QObject* root, const QString& name)
{
    T* found = root->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

} // namespace ravelin::test
