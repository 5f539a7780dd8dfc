// The sys page "System Activity": the memory load and the use of physical
// memory, paging file (swap) and virtual memory as texts and four gauges,
// and the strip chart of the last ticks. The page only shows what the
// SystemMonitor hands it; the chart is the monitor's own pixel raster,
// wrapped (not copied) in a QImage.
#pragma once

#include "mainwindow/SystemMonitor.h"

#include <QImage>
#include <QWidget>

#include <array>

class QFrame;
class QLabel;

namespace ravelin {

class SysPage final : public QWidget, private SystemMonitorView {
public:
    static constexpr int kGaugeWidth = 511;
    static constexpr int kGaugeHeight = 11;

    SysPage(SystemMonitor& monitor, QWidget* page);

    // The chart as shown, picRAMGraph's picture.
    QImage chartImage() const;

private:
    void showMemoryFigures(const MonitorReading& reading) override;
    void chartChanged() override;

    SystemMonitor& m_monitor;
    QLabel* m_lblUsedMem = nullptr;
    QLabel* m_lblAvailPhys = nullptr;
    QLabel* m_lblTotalPhys = nullptr;
    QLabel* m_lblAvailPageFile = nullptr;
    QLabel* m_lblTotalPageFile = nullptr;
    QLabel* m_lblAvailVirt = nullptr;
    QLabel* m_lblTotalVirt = nullptr;
    std::array<QFrame*, 4> m_picMem{}; // the four memory gauges; m_picMemFill holds their bars
    std::array<QWidget*, 4> m_picMemFill{};
    QWidget* m_picRAMGraph = nullptr;
};

} // namespace ravelin
