// Failing on purpose, for the tests of the console host's supervision: a
// crash by a signal (or a bad exit status), a map dropped with the engine's
// error lines, a hang that answers nothing. `sim_crash [SIGNAL | exit N]`,
// `sim_dropmap [MESSAGE]`, `sim_hang` (once it answered its next status
// query) on the console; `--crash-after S` on the command line.
#pragma once

namespace q3sim {

// Ends the process by `signalNumber` (no core file), or with `status` when
// `signalNumber` is 0.
[[noreturn]] void crashNow(int signalNumber, int status = 1);
// Stops answering anything while the process lives.
[[noreturn]] void hangNow();

} // namespace q3sim
