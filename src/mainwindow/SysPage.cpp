#include "mainwindow/SysPage.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>

#include <cmath>

namespace ravelin {

namespace {

constexpr int kLeft = 24;
constexpr int kValueLeft = 330;
constexpr int kSectionTop = 44;
constexpr int kSectionStep = 74;

QColor colourNumber(unsigned bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// Fill colours of the four gauges.
constexpr unsigned kFill[4] = {0xFF8080, 0x404040, 0x808080, 0xC0C0C0};

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, QRect at)
{
    auto* label = new QLabel(text, parent);
    if (name)
        label->setObjectName(name);
    label->setGeometry(at);
    return label;
}

// Shows the monitor's raster at its own size, one pixel per pixel.
class ChartView final : public QWidget {
public:
    ChartView(const SysPage& page, QWidget* parent) : QWidget(parent), m_page(page)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, m_page.chartImage());
    }

private:
    const SysPage& m_page;
};

} // namespace

SysPage::SysPage(SystemMonitor& monitor, QWidget* page) : QWidget(page), m_monitor(monitor)
{
    setObjectName("sysPage");
    setGeometry(page->contentsRect());

    auto* title = addLabel(this, "lblSystemLbl", "System Activity", QRect(12, 8, 700, 24));
    QFont font = title->font();
    font.setPointSize(font.pointSize() + 3);
    font.setBold(true);
    title->setFont(font);

    struct Section {
        const char* titleName;
        const char* title;
        QLabel** avail;
        const char* availName;
        QLabel** total;
        const char* totalName;
    };
    // Top to bottom: load, physical, paging file, virtual.
    const Section sections[4] = {
        {"Label11", "Memory Payload (Activity)", &m_lblUsedMem, "lblUsedMem", nullptr, nullptr},
        {"Label12", "Physical RAM (Fast - Hardware Memory)", &m_lblAvailPhys, "lblAvailPhys", &m_lblTotalPhys,
         "lblTotalPhys"},
        {"Label10", "Paging Memory (Slow - HDD Memory)", &m_lblAvailPageFile, "lblAvailPageFile", &m_lblTotalPageFile,
         "lblTotalPageFile"},
        {"Label13", "Virtual Memory Usage", &m_lblAvailVirt, "lblAvailVirt", &m_lblTotalVirt, "lblTotalVirt"},
    };
    for (int i = 0; i < 4; ++i) {
        const Section& s = sections[i];
        const int top = kSectionTop + i * kSectionStep;
        auto* heading = addLabel(this, s.titleName, s.title, QRect(kLeft, top, 300, 20));
        heading->setProperty("index", s.titleName[6] - '0');
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        *s.avail = addLabel(this, s.availName, "Loading...", QRect(kValueLeft, top, 240, 20));
        if (s.total) {
            *s.total = addLabel(this, s.totalName, "Loading...", QRect(kValueLeft + 220, top, 140, 20));
            (*s.total)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }

        auto* frame = new QFrame(this);
        frame->setObjectName(QStringLiteral("picMem%1").arg(i));
        frame->setProperty("index", i);
        frame->setFrameShape(QFrame::Box);
        frame->setGeometry(kLeft, top + 24, kGaugeWidth + 2, kGaugeHeight + 2);
        frame->setAccessibleName(heading->text());
        auto* fill = new QWidget(frame);
        fill->setObjectName(QStringLiteral("picMemFill%1").arg(i));
        fill->setProperty("index", i);
        fill->setAutoFillBackground(true);
        QPalette palette = fill->palette();
        palette.setColor(QPalette::Window, colourNumber(kFill[i]));
        fill->setPalette(palette);
        fill->setGeometry(1, 1, 0, kGaugeHeight);
        m_picMem[static_cast<std::size_t>(i)] = frame;
        m_picMemFill[static_cast<std::size_t>(i)] = fill;
    }
    auto* note = addLabel(this, "Label2", "(on a fast box, this should allways be 0%)",
                          QRect(kValueLeft + 90, kSectionTop, 280, 20));
    note->setEnabled(false);

    const MonitorChart& chart = m_monitor.chart();
    m_picRAMGraph = new ChartView(*this, this);
    m_picRAMGraph->setObjectName("picRAMGraph");
    m_picRAMGraph->setGeometry(kLeft, kSectionTop + 4 * kSectionStep + 8, chart.width(), chart.height());

    m_monitor.setView(this);
}

QImage SysPage::chartImage() const
{
    const MonitorChart& chart = m_monitor.chart();
    return QImage(reinterpret_cast<const uchar*>(chart.bits()), chart.width(), chart.height(), chart.width() * 4,
                  QImage::Format_RGB32);
}

void SysPage::showMemoryFigures(const MonitorReading& r)
{
    auto show = [](QLabel* label, const std::string& text) { label->setText(QString::fromStdString(text)); };
    show(m_lblUsedMem, r.usedMem);
    show(m_lblAvailPhys, r.availPhys);
    show(m_lblTotalPhys, r.totalPhys);
    show(m_lblAvailPageFile, r.availPageFile);
    show(m_lblTotalPageFile, r.totalPageFile);
    show(m_lblAvailVirt, r.availVirt);
    show(m_lblTotalVirt, r.totalVirt);
    for (std::size_t i = 0; i < 4; ++i) {
        const int width = static_cast<int>(std::lround(r.gauge[i] * kGaugeWidth));
        QWidget* fill = m_picMemFill[i];
        if (fill->width() != width)
            fill->resize(width, kGaugeHeight);
    }
}

void SysPage::chartChanged() { m_picRAMGraph->update(); }

} // namespace ravelin
