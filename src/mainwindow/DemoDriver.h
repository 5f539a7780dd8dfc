// A driver that operates ravelin the way a person would, for the demo's
// screenshot mode, the start-up benchmark and the end-to-end tests.
//
// For the start procedure: call
//     ravelin::startDemoDriver(QCoreApplication::arguments(), bridge, probe, appFolder);
// once the start window has been loaded and shown, before the event loop
// runs. It does nothing (and returns false) unless one of its options is
// on the command line:
//   --connect NAME         pick "Quake 3 Arena [NAME]" in the start window
//                          and press Connect
//   --screenshots DIR      (with --connect) write PNGs of the start window
//                          and, once the console page shows server output,
//                          of each main-window tab once it is at work
//                          (monitoring on, the cvar table filled, the sys
//                          figures in, a saved preset running with the
//                          function page's sections open), then end
//   --report-start         print how the start ended ("listed: TEXT" per
//                          server node, or "connected: HOSTNAME") and end
//   --linger SECS          (with --connect) stay connected this long before
//                          the screenshots or leaving
//   --leave WAY            (with --connect) leave through the shutdown
//                          dialog's way 0-3 (with --screenshots, its picture
//                          is taken); ways 1 and 3 end once the start window
//                          is back, printing what it lists
//   --driver-timeout SECS  give up after this long (default 60)
// The driver ends the program with 0 on success and 1 with the reason on
// standard error otherwise.
#pragma once

#include <QStringList>

#include <filesystem>

namespace ravelin {

class ConsoleBridge;
class CvarProbe;

bool startDemoDriver(const QStringList& arguments, ConsoleBridge& bridge, CvarProbe& probe,
                     const std::filesystem::path& appFolder);

} // namespace ravelin
