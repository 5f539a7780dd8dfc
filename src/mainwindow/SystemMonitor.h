// The sys page's work on each tmrSystem tick: read the machine's memory
// status, hand the page its label texts and gauge shares, and advance the
// strip chart. The page implements SystemMonitorView and registers itself;
// the monitor keeps the last memory status record, which the memory report
// shares.
#pragma once

#include "mainwindow/MonitorArithmetic.h"
#include "mainwindow/MonitorChart.h"
#include "platform/MemoryInfo.h"

namespace ravelin {

class SystemMonitorView {
public:
    virtual ~SystemMonitorView() = default;
    virtual void showMemoryFigures(const MonitorReading& reading) = 0;
    // The chart's pixels changed.
    virtual void chartChanged() = 0;
};

class SystemMonitor {
public:
    // `unloading` is the main window's closing flag.
    SystemMonitor(MemoryInfo* memory, const bool& unloading);

    void setView(SystemMonitorView* view) { m_view = view; }

    // The empty chart, once, before the first tick (the load asks for it;
    // a tick that comes first prepares it itself).
    void prepareChart();
    void tmrSystem_Timer();

    const MemoryStatus& status() const { return m_status; }
    const MonitorChart& chart() const { return m_chart; }
    int ticks() const { return m_ticks; }

private:
    MemoryInfo* m_memory;
    const bool& m_unloading;
    SystemMonitorView* m_view = nullptr;
    MemoryStatus m_status;
    MonitorChart m_chart;
    bool m_prepared = false;
    int m_ticks = 0;
};

} // namespace ravelin
