#include "mainwindow/MonitorChart.h"

#include "mainwindow/MonitorArithmetic.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ravelin {

MonitorChart::MonitorChart(int width, int height)
    : m_width(std::max(width, 2)), m_height(std::max(height, 2)),
      m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), kBack)
{}

void MonitorChart::set(int x, int y, std::uint32_t colour)
{
    if (x >= 0 && x < m_width && y >= 0 && y < m_height)
        m_pixels[index(x, y)] = colour;
}

void MonitorChart::line(int x0, int y0, int x1, int y1, std::uint32_t colour)
{
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        set(x0, y0, colour);
        if (x0 == x1 && y0 == y1)
            return;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

int MonitorChart::rowOf(double height) const { return static_cast<int>(roundHalfEven(m_height - height)); }

// The four inner rows of the grid, the border rows above and below.
void MonitorChart::horizontalGrid(int x)
{
    for (int i = 1; i <= 4; ++i)
        set(x, static_cast<int>(roundHalfEven(i * m_height / 5.0)), kGrid);
    set(x, 0, kBorder);
    set(x, m_height - 1, kBorder);
}

void MonitorChart::prepare()
{
    std::fill(m_pixels.begin(), m_pixels.end(), kBack);
    for (int x = 0; x <= m_width; ++x) {
        horizontalGrid(x);
        // Every fifth column, so the lines the ticks add later keep the
        // same five-pixel spacing across the seam.
        if ((x + 1) % 5 == 0)
            line(x, m_height, x, 0, kGrid);
    }
}

void MonitorChart::tick(double physicalHeight, double loadHeight)
{
    const int W = m_width;
    const int H = m_height;
    for (int y = 0; y < H; ++y) {
        std::uint32_t* row = m_pixels.data() + index(0, y);
        std::memmove(row, row + 1, static_cast<std::size_t>(W - 1) * sizeof(std::uint32_t));
        row[W - 1] = kBack;
    }

    if (m_gridCounter > 5) {
        m_gridCounter = 1;
        line(W - 1, H, W - 1, 0, kGrid);
    }
    horizontalGrid(W - 1);

    if (m_previousPhysical != 0)
        line(W - 2, H - m_previousPhysical, W - 1, rowOf(physicalHeight), kPhysical);
    else
        set(W - 1, rowOf(physicalHeight), kFirstMark);

    // The load series is drawn over the physical one.
    if (m_previousLoad == 0)
        set(W - 1, rowOf(loadHeight), kFirstMark);
    else
        line(W - 2, rowOf(m_previousLoad), W - 1, rowOf(loadHeight), kLoad);

    m_previousPhysical = static_cast<int>(roundHalfEven(physicalHeight));
    m_previousLoad = loadHeight;
    ++m_gridCounter;
}

} // namespace ravelin
