#include "mainwindow/SectionStackWidget.h"

#include "mainwindow/MainSession.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>

namespace ravelin {

namespace {

constexpr int kScrollBarWidth = 17;
constexpr int kToggleSize = 11;

// The toggle pictures: a small box with a plus or a minus.
QPixmap togglePicture(bool plus)
{
    QPixmap picture(kToggleSize, kToggleSize);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, kToggleSize - 1, kToggleSize - 1);
    painter.drawLine(3, 5, 7, 5);
    if (plus)
        painter.drawLine(5, 3, 5, 7);
    return picture;
}

QColor toQColor(SectionColour c) { return QColor(c.red, c.green, c.blue); }

void paintBar(QLabel* bar, SectionColour colour)
{
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, toQColor(colour));
    bar->setPalette(palette);
}

} // namespace

SectionStackWidget::SectionStackWidget(MainSession& session, SectionPanel panel, const SectionStackNames& names,
                                       const std::vector<const char*>& titles, QWidget* page)
    : QWidget(page), m_session(session), m_panel(panel)
{
    setGeometry(page->contentsRect());

    // Hidden reference pictures the toggles show.
    m_imgPlus = new QLabel(this);
    m_imgPlus->setObjectName("imgPlus");
    m_imgPlus->setPixmap(togglePicture(true));
    m_imgPlus->hide();
    m_imgMinus = new QLabel(this);
    m_imgMinus->setObjectName("imgMinus");
    m_imgMinus->setPixmap(togglePicture(false));
    m_imgMinus->hide();

    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setObjectName(names.scrollBar);
    m_scrollBar->setAccessibleName(QStringLiteral("Scroll %1").arg(names.pageTitle));
    m_scrollBar->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
    m_scrollBar->setSingleStep(kCollapsedSectionHeight);
    m_scrollBar->setPageStep(height() / 2);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int value) { scrolled(value); });

    // The viewport clips the container, whose top moves to scroll.
    auto* viewport = new QWidget(this);
    viewport->setGeometry(0, 0, m_scrollBar->x(), height());
    m_scroll = new QWidget(viewport);
    m_scroll->setObjectName(names.scroll);
    m_scroll->setGeometry(0, 0, viewport->width(), height());

    auto* title = new QLabel(names.pageTitle, m_scroll);
    title->setObjectName("lblTitle");
    QFont titleFont = title->font();
    titleFont.setPointSize(titleFont.pointSize() + 3);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setGeometry(12, 8, viewport->width() - 24, 24);

    QFont barFont = font();
    barFont.setPixelSize(11);
    barFont.setBold(true);
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const int index = static_cast<int>(i);
        auto* box = new QFrame(m_scroll);
        box->setObjectName(QStringLiteral("%1%2").arg(names.container).arg(index));
        box->setProperty("index", index);
        box->setFrameShape(QFrame::Box);
        box->setAutoFillBackground(true);

        auto* bar = new QLabel(box);
        bar->setObjectName(QStringLiteral("%1%2").arg(names.titleBar).arg(index));
        bar->setAutoFillBackground(true);
        paintBar(bar, kFuncTitleGrey);
        bar->setGeometry(0, 0, sectionWidth(), kCollapsedSectionHeight);

        auto* label = new QLabel(titles[i], box);
        label->setObjectName(QStringLiteral("%1%2").arg(names.titleLabel).arg(index));
        label->setFont(barFont);
        label->setStyleSheet("QLabel { color: white; }");
        label->setGeometry(18, 0, sectionWidth() - 20, kCollapsedSectionHeight);

        auto* toggle = new QToolButton(box);
        toggle->setObjectName(QStringLiteral("%1%2").arg(names.toggle).arg(index));
        toggle->setProperty("index", index);
        toggle->setAutoRaise(true);
        toggle->setIconSize(QSize(kToggleSize, kToggleSize));
        toggle->setIcon(QIcon(m_imgPlus->pixmap()));
        toggle->setToolTip(QStringLiteral("Expand or collapse %1").arg(titles[i]));
        toggle->setAccessibleName(toggle->toolTip());
        toggle->setGeometry(2, 1, kToggleSize + 2, kToggleSize + 2);
        connect(toggle, &QToolButton::clicked, this, [this, index] { toggleClicked(index); });

        m_sections.push_back(box);
        m_titleBars.push_back(bar);
        m_toggles.push_back(toggle);
    }
    m_session.sections().attach(panel, this, kFirstTop, height());
}

int SectionStackWidget::sectionWidth() const { return m_scrollBar->x(); }

void SectionStackWidget::showSections(SectionPanel, const SectionStack& stack)
{
    for (int i = 0; i < stack.count() && i < static_cast<int>(m_sections.size()); ++i) {
        const auto at = static_cast<std::size_t>(i);
        m_sections[at]->setGeometry(0, stack.top(i), sectionWidth(), stack.height(i));
        const QLabel* picture = stack.expanded(i) ? m_imgMinus : m_imgPlus;
        m_toggles[at]->setIcon(QIcon(picture->pixmap()));
        m_toggles[at]->setProperty("expanded", stack.expanded(i));
    }
    m_scroll->resize(m_scroll->width(), stack.containerHeight());
    m_scrollBar->setMaximum(stack.scrollMaximum());
    m_scrollBar->setEnabled(stack.scrollEnabled());
    // A stack that fits shows from its top.
    if (!stack.scrollEnabled())
        m_scrollBar->setValue(0);
    scrolled(m_scrollBar->value());
}

void SectionStackWidget::setTitleColour(int index, SectionColour colour)
{
    if (index >= 0 && index < static_cast<int>(m_titleBars.size()))
        paintBar(m_titleBars[static_cast<std::size_t>(index)], colour);
}

void SectionStackWidget::toggleClicked(int index)
{
    if (m_panel == SectionPanel::Stats)
        m_session.sections().imgToggle_Click(index);
    else
        m_session.sections().imgFuncTog_Click(index);
}

// Scrolling moves the one container, never the sections.
void SectionStackWidget::scrolled(int value) { m_scroll->move(0, -value); }

} // namespace ravelin
