// The sys page's strip chart as a raster of 0xAARRGGBB pixels (the layout of
// a QImage in Format_RGB32, so the window shows this very buffer). Each tick
// scrolls the chart one pixel to the left and draws the new column: grid
// pixels, the black top and bottom border, and the physical-memory and
// memory-load series as one-pixel segments from the previous point. The
// chart therefore holds the last `width` ticks and nothing older.
//
// Points are given in pixels above the bottom edge and may be fractional; a
// point lands on the row H − height rounded half to even. Lines include both
// end points (Bresenham) and are clipped to the raster.
#pragma once

#include <cstdint>
#include <vector>

namespace ravelin {

// A platform colour number &HBBGGRR as an opaque 0xAARRGGBB pixel.
constexpr std::uint32_t pixelOfColourNumber(std::uint32_t bgr)
{
    return 0xFF000000u | ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu);
}

class MonitorChart {
public:
    static constexpr int kWidth = 541;
    static constexpr int kHeight = 25;
    static constexpr std::uint32_t kBack = pixelOfColourNumber(0x808080);
    static constexpr std::uint32_t kGrid = pixelOfColourNumber(0xAAAAAA);
    static constexpr std::uint32_t kBorder = pixelOfColourNumber(0x000000);
    static constexpr std::uint32_t kFirstMark = pixelOfColourNumber(0xFF8080);
    static constexpr std::uint32_t kPhysical = pixelOfColourNumber(0x00FF00);
    static constexpr std::uint32_t kLoad = pixelOfColourNumber(0xFF0000);

    explicit MonitorChart(int width = kWidth, int height = kHeight);

    // The empty grid the chart starts as.
    void prepare();
    // One tick: scroll, grid column, the two series' new segments.
    void tick(double physicalHeight, double loadHeight);

    int width() const { return m_width; }
    int height() const { return m_height; }
    std::uint32_t pixel(int x, int y) const { return m_pixels[index(x, y)]; }
    const std::uint32_t* bits() const { return m_pixels.data(); }

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * m_width + x; }
    void set(int x, int y, std::uint32_t colour);
    void line(int x0, int y0, int x1, int y1, std::uint32_t colour);
    int rowOf(double height) const;
    void horizontalGrid(int x);

    int m_width;
    int m_height;
    std::vector<std::uint32_t> m_pixels;
    // Counts ticks between vertical grid lines; the first line comes on the
    // fourth tick, then every fifth.
    int m_gridCounter = 3;
    int m_previousPhysical = 0;
    double m_previousLoad = 0;
};

} // namespace ravelin
