#include "mainwindow/SystemMonitor.h"

namespace ravelin {

SystemMonitor::SystemMonitor(MemoryInfo* memory, const bool& unloading) : m_memory(memory), m_unloading(unloading) {}

void SystemMonitor::prepareChart()
{
    if (m_prepared)
        return;
    m_prepared = true;
    m_chart.prepare();
    if (m_view)
        m_view->chartChanged();
}

void SystemMonitor::tmrSystem_Timer()
{
    if (m_unloading || !m_memory)
        return;
    prepareChart();
    m_status = m_memory->status();
    m_status.length = sizeof(MemoryStatus);
    const MonitorReading reading = readMonitor(m_status);
    m_chart.tick(reading.physicalHeight, reading.loadHeight);
    ++m_ticks;
    if (m_view) {
        m_view->showMemoryFigures(reading);
        m_view->chartChanged();
    }
}

} // namespace ravelin
