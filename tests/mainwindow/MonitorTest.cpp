// The system monitor's arithmetic, its strip chart pixel by pixel, and the
// tick that ties them to the machine's memory figures.
#include "mainwindow/SystemMonitor.h"
#include "platform/sim/SimServices.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

using namespace ravelin;

namespace {

constexpr std::uint64_t MB = 1024 * 1024;
constexpr std::uint64_t GB = 1024 * MB;

struct Amount {
    const char* what;
    std::uint64_t total;
    std::uint64_t avail;
    const char* totalText;
    const char* availText;
    double usedShare;
};

// One chart column from top to bottom, a letter per pixel.
std::string column(const MonitorChart& chart, int x)
{
    static const std::map<std::uint32_t, char> letters = {
        {MonitorChart::kBack, '.'},      {MonitorChart::kGrid, 'g'},     {MonitorChart::kBorder, 'B'},
        {MonitorChart::kFirstMark, 'm'}, {MonitorChart::kPhysical, 'P'}, {MonitorChart::kLoad, 'L'}};
    std::string text;
    for (int y = 0; y < chart.height(); ++y) {
        auto it = letters.find(chart.pixel(x, y));
        text += it == letters.end() ? '?' : it->second;
    }
    return text;
}

// Rows:                         0    5    10   15   20   24
constexpr const char* kEmpty = "B....g....g....g....g...B";
constexpr const char* kGridLine = "ggggggggggggggggggggggggg";
const std::string kTickGridLine = "B" + std::string(23, 'g') + "B";

struct RecordingMonitorView : SystemMonitorView {
    MonitorReading last;
    int figures = 0;
    int chartChanges = 0;
    void showMemoryFigures(const MonitorReading& r) override
    {
        last = r;
        ++figures;
    }
    void chartChanged() override { ++chartChanges; }
};

} // namespace

TEST(MonitorArithmetic, LabelsAndGaugeSharesForEachAmount)
{
    const Amount cases[] = {
        {"a 128 MB machine with 48 MB free", 128 * MB, 48 * MB, "128 MB", "49152 KB (62% used)", 0.625},
        {"64 GB does not wrap", 64 * GB, 16 * GB, "65536 MB", "16777216 KB (75% used)", 0.75},
        {"a fraction of a kilobyte is shown", 4 * MB, 1536, "4 MB", "1.5 KB (100% used)", 1.0 - 1536.0 / (4 * MB)},
        {"no swap at all", 0, 0, "0 MB", "0 KB (0% used)", 0.0},
        {"12.5% free rounds to the even 12", 1000 * MB, 125 * MB, "1000 MB", "128000 KB (88% used)", 0.875},
        {"kilobytes round half to even before the megabytes", GB - 512, GB - 512, "1024 MB", "1048575.5 KB (0% used)",
         0.0},
        {"a figure above 2 GB keeps its size", 8 * GB, 3 * GB, "8192 MB", "3145728 KB (62% used)", 0.625},
    };
    for (const Amount& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(totalLabel(c.total), c.totalText);
        EXPECT_EQ(availLabel(c.avail, c.total), c.availText);
        EXPECT_DOUBLE_EQ(1.0 - freeRatio(c.avail, c.total), c.usedShare);
    }
}

TEST(MonitorArithmetic, AReadingFillsEveryLabelGaugeAndChartPoint)
{
    MemoryStatus s{.memoryLoad = 0,
                   .totalPhys = 134'217'728,
                   .availPhys = 48 * MB,
                   .totalPageFile = 2 * GB,
                   .availPageFile = 2 * GB,
                   .totalVirtual = 128ull << 40,
                   .availVirtual = (128ull << 40) - 3 * GB};
    // The physical figures as the sys page shows them: ChromeTest.
    const MonitorReading r = readMonitor(s);
    EXPECT_EQ(std::tuple(r.usedMem, r.totalPageFile, r.availPageFile, r.totalVirt, r.availVirt),
              std::tuple("0% load", "2048 MB", "2097152 KB (0% used)", "134217728 MB", "137435807744 KB (0% used)"));
    EXPECT_EQ(std::pair(r.gauge[0], r.gauge[2]), std::pair(0.0, 0.0));
    // The physical point stands 25 × 0.625 pixels above the bottom edge; a
    // load of 0 % still stands 2 pixels above it.
    EXPECT_EQ(std::pair(r.physicalHeight, r.loadHeight), std::pair(15.625, 2.0));

    s.memoryLoad = 100;
    s.availPhys = 0;
    const MonitorReading full = readMonitor(s);
    EXPECT_EQ(std::tuple(full.usedMem, full.gauge[0], full.physicalHeight, full.loadHeight),
              std::tuple("100% load", 1.0, 25.0, 25.0));
}

TEST(MonitorChartPixels, PreparedChartIsAnEmptyGridWithLinesEveryFifthColumn)
{
    MonitorChart chart;
    chart.prepare();
    ASSERT_EQ(chart.width(), 541);
    ASSERT_EQ(chart.height(), 25);
    for (int x = 0; x < chart.width(); ++x)
        EXPECT_EQ(column(chart, x), (x + 1) % 5 == 0 ? kGridLine : kEmpty) << x;
}

TEST(MonitorChartPixels, TicksScrollLeftAndDrawMarksThenSegments)
{
    MonitorChart chart;
    chart.prepare();
    const int W = chart.width();

    // First tick: two single marks; physical at 15.625 lands on row 9, a
    // 0 % load 2 pixels above the bottom edge on row 23.
    chart.tick(15.625, 2.0);
    EXPECT_EQ(column(chart, W - 1), std::string("B....g...mg....g....g..mB"));
    // The prepared grid moved one column to the left.
    EXPECT_EQ(column(chart, W - 2), kEmpty);
    EXPECT_EQ(column(chart, W - 3), kGridLine);

    // Second tick: segments from the previous points, green and blue; the
    // load climbs one row (2.5 pixels rounds to the even row 22).
    chart.tick(15.625, 2.5);
    EXPECT_EQ(column(chart, W - 2), std::string("B....g...Pg....g....g..LB"));
    EXPECT_EQ(column(chart, W - 1), std::string("B....g...Pg....g....g.L.B"));

    // Where both series meet, the load is drawn over the physical one.
    chart.tick(15.625, 15.625);
    EXPECT_EQ(chart.pixel(W - 1, 9), MonitorChart::kLoad);
    EXPECT_EQ(chart.pixel(W - 2, 9), MonitorChart::kPhysical);
}

TEST(MonitorChartPixels, VerticalGridLinesComeOnTheFourthTickThenEveryFifthAndKeepTheirSpacing)
{
    MonitorChart chart;
    chart.prepare();
    const int W = chart.width();
    for (int tick = 1; tick <= 14; ++tick) {
        chart.tick(25.0, 25.0);
        const bool gridTick = tick == 4 || tick == 9 || tick == 14;
        // The series run along the top row, over the border.
        EXPECT_EQ(column(chart, W - 1).substr(1), (gridTick ? kTickGridLine : std::string(kEmpty)).substr(1)) << tick;
    }
    // Row 1 is grid only where a vertical line stands: every fifth column,
    // prepared and ticked alike.
    int previous = -1;
    for (int x = 0; x < W; ++x) {
        if (chart.pixel(x, 1) != MonitorChart::kGrid)
            continue;
        EXPECT_TRUE(previous < 0 || x - previous == 5) << x;
        previous = x;
    }
    EXPECT_EQ(previous, W - 1);
}

TEST(MonitorChartPixels, TheChartHoldsTheLastWidthTicks)
{
    MonitorChart chart(10, 25);
    chart.prepare();
    for (int tick = 0; tick < 10; ++tick)
        chart.tick(25.0, tick < 5 ? 25.0 : 10.0);
    // Ten ticks later nothing of the prepared chart is left: the load ran
    // along row 0 for five ticks, then row 15 for five.
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(chart.pixel(x, x < 5 ? 0 : 15), MonitorChart::kLoad) << x;
}

// A first tick before the load prepares the chart; it is prepared once.
TEST(SystemMonitorTick, ReadsTheMachineEachTickAndStopsWhenUnloading)
{
    sim::FixedMemoryInfo memory;
    memory.figures = {.memoryLoad = 40, .totalPhys = 64 * GB, .availPhys = 48 * GB};
    bool unloading = false;
    SystemMonitor monitor(&memory, unloading);
    RecordingMonitorView view;
    monitor.setView(&view);

    monitor.tmrSystem_Timer();
    monitor.prepareChart();
    EXPECT_EQ(view.chartChanges, 2) << "prepared once, then the tick";
    EXPECT_EQ(monitor.chart().pixel(0, 0), MonitorChart::kBorder);
    EXPECT_EQ(monitor.chart().pixel(3, 1), MonitorChart::kGrid);
    EXPECT_EQ(view.figures, 1);
    EXPECT_EQ(view.last.usedMem, "40% load");
    EXPECT_EQ(monitor.chart().pixel(540, 15), MonitorChart::kFirstMark) << "load 40 % is 10 pixels up";

    memory.figures.memoryLoad = 80;
    monitor.tmrSystem_Timer();
    EXPECT_EQ(view.last.usedMem, "80% load");

    unloading = true;
    monitor.tmrSystem_Timer();
    EXPECT_EQ(view.figures, 2);
    EXPECT_EQ(monitor.ticks(), 2);
}
