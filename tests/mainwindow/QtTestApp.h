// One QApplication for the whole test process, created before the first
// test runs (after the test main has given the process its own folders).
#pragma once

#include <functional>

namespace ravelin::test {

// Runs pending Qt events until `condition` holds or the timeout passes.
bool waitForQt(const std::function<bool()>& condition, int timeoutMs = 10000);

} // namespace ravelin::test
