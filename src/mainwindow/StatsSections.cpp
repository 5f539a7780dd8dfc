#include "mainwindow/StatsSections.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

namespace ravelin {

namespace {

QString latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename Control>
Control* named(Control* control, const char* name, const QString& accessible)
{
    control->setObjectName(name);
    control->setAccessibleName(accessible);
    return control;
}

QLabel* addLabel(const QString& text, QWidget* parent, int x, int y, int w)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, w, 20);
    return label;
}

// Sorts by the number kept beside the text, so "10" follows "9" and
// "1:05:00" follows "0:59:00".
class NumberItem final : public QTableWidgetItem {
public:
    NumberItem(const QString& text, double value) : QTableWidgetItem(text)
    {
        setData(Qt::UserRole, value);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override
    {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QTableWidget* makeTable(QWidget* parent, const char* name, const QString& accessible, const QStringList& headers)
{
    auto* table = named(new QTableWidget(0, static_cast<int>(headers.size()), parent), name, accessible);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(20);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setSortingEnabled(true);
    return table;
}

// Fills a table keeping the operator's sort column and order.
template <typename Rows, typename Fill>
void fillTable(QTableWidget* table, const Rows& rows, Fill fill)
{
    table->setSortingEnabled(false);
    table->setRowCount(static_cast<int>(rows.size()));
    int row = 0;
    for (const auto& r : rows)
        fill(row++, r);
    table->setSortingEnabled(true);
}

QTableWidgetItem* text(const std::string& value) { return new QTableWidgetItem(latin1(value)); }
QTableWidgetItem* count(std::int64_t value)
{
    return new NumberItem(QString::number(value), static_cast<double>(value));
}

} // namespace

OnlineChart::OnlineChart(QWidget* parent) : QWidget(parent)
{
    setObjectName("picStatsOnline");
    setAccessibleName("Players online over the last 24 hours");
}

void OnlineChart::setSamples(std::vector<stats::OnlineSample> samples, std::int64_t now)
{
    m_samples = std::move(samples);
    m_now = now;
    update();
}

void OnlineChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const int left = 30, bottom = height() - 20, top = 10, right = width() - 10;
    int most = 4;
    for (const auto& s : m_samples)
        most = std::max(most, s.players + s.bots);
    p.setPen(QColor(200, 200, 200));
    for (int h = 0; h <= 24; h += 6) {
        const int x = left + (right - left) * h / 24;
        p.drawLine(x, top, x, bottom);
        p.setPen(Qt::black);
        p.drawText(x - 14, height() - 4, h == 24 ? QString("now") : QString("-%1h").arg(24 - h));
        p.setPen(QColor(200, 200, 200));
    }
    p.setPen(Qt::black);
    p.drawLine(left, bottom, right, bottom);
    p.drawText(4, top + 10, QString::number(most));
    p.drawText(4, bottom, "0");
    const double from = static_cast<double>(m_now - 86400);
    const auto point = [&](const stats::OnlineSample& s, int n) {
        return QPointF(left + (right - left) * (static_cast<double>(s.time) - from) / 86400.0,
                       bottom - (bottom - top) * static_cast<double>(n) / most);
    };
    QPolygonF all, people;
    for (const auto& s : m_samples) {
        all << point(s, s.players + s.bots);
        people << point(s, s.players);
    }
    p.setPen(QPen(QColor(170, 170, 170), 1));
    p.drawPolyline(all);
    p.setPen(QPen(QColor(0, 100, 200), 2));
    p.drawPolyline(people);
}

InternalStatsSection::InternalStatsSection(stats::StatsFeature& feature, QWidget* section, int width, int height)
    : QWidget(section), m_feature(feature)
{
    setGeometry(0, 16, width, height - 17);
    addLabel("Period :", this, 8, 4, 50);
    m_span = named(new QComboBox(this), "cboStatsSpan", "Period");
    for (stats::Span s : {stats::Span::Game, stats::Span::Today, stats::Span::AllTime})
        m_span->addItem(stats::spanTitle(s));
    m_span->setCurrentIndex(2);
    m_span->setGeometry(60, 2, 110, 24);
    connect(m_span, &QComboBox::currentIndexChanged, this, [this] { refresh(); });

    m_bots = named(new QCheckBox("Show bots", this), "chkStatsBots", "Show bots");
    m_bots->setGeometry(184, 3, 100, 22);
    m_bots->setChecked(feature.showBots());
    connect(m_bots, &QCheckBox::toggled, this, [this](bool on) {
        m_feature.setShowBots(on);
        refresh();
    });

    addLabel("Keep games for days (0: all) :", this, 292, 4, 190);
    m_retention = named(new QSpinBox(this), "txtStatsRetention", "Keep games for days (0: all)");
    m_retention->setRange(0, 36500);
    m_retention->setValue(feature.retentionDays());
    m_retention->setGeometry(484, 2, 70, 24);
    connect(m_retention, &QSpinBox::valueChanged, this, [this](int days) { m_feature.setRetentionDays(days); });

    auto* refreshButton = named(new QPushButton("Refresh", this), "cmdStatsRefresh", "Refresh");
    refreshButton->setGeometry(width - 88, 2, 80, 24);
    connect(refreshButton, &QPushButton::clicked, this, [this] { refresh(); });

    m_state = new QLabel(this);
    m_state->setObjectName("lblStatsState");
    m_state->setWordWrap(true);
    m_state->setGeometry(8, 28, width - 16, 30);

    m_tabs = named(new QTabWidget(this), "tabStats", "Statistics tables");
    m_tabs->setGeometry(8, 58, width - 16, this->height() - 62);
    m_players =
        makeTable(m_tabs, "lvStatsPlayers", "Players",
                  {"Player", "Kills", "Deaths", "Suicides", "Team kills", "Ratio", "Favourite weapon", "Time played"});
    m_players->setColumnWidth(0, 130);
    for (int c = 1; c <= 5; ++c)
        m_players->setColumnWidth(c, 58);
    m_players->setColumnWidth(6, 150);
    m_players->sortByColumn(1, Qt::DescendingOrder);
    m_weapons = makeTable(m_tabs, "lvStatsWeapons", "Weapons", {"Means", "Kills"});
    m_weapons->setColumnWidth(0, 220);
    m_weapons->sortByColumn(1, Qt::DescendingOrder);
    m_games = makeTable(m_tabs, "lvStatsGames", "Games", {"Map", "Start", "End", "How it ended", "Final scores"});
    m_games->setColumnWidth(0, 90);
    m_games->setColumnWidth(1, 120);
    m_games->setColumnWidth(2, 120);
    m_games->setColumnWidth(3, 110);
    m_games->sortByColumn(1, Qt::DescendingOrder);
    m_chart = new OnlineChart(m_tabs);
    m_tabs->addTab(m_players, "Players");
    m_tabs->addTab(m_weapons, "Weapons");
    m_tabs->addTab(m_games, "Games");
    m_tabs->addTab(m_chart, "Online (24 hours)");

    m_timer = new QTimer(this);
    m_timer->setObjectName("tmrStats");
    m_timer->setInterval(kRefreshMilliseconds);
    // Only a section someone can see is worth the queries.
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (isVisible() && parentWidget()->height() > 20)
            refresh();
    });
    m_timer->start();
    // Opening the section shows fresh figures at once.
    section->installEventFilter(this);
    refresh();
}

bool InternalStatsSection::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == parentWidget() && parentWidget()->height() > 20)
        refresh();
    return QWidget::eventFilter(watched, event);
}

void InternalStatsSection::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void InternalStatsSection::refresh()
{
    const auto span = static_cast<stats::Span>(m_span->currentIndex());
    const stats::StatsSnapshot s = m_feature.snapshot(span);
    QString state;
    if (!m_feature.opened())
        state = "Statistics start once the server console is connected.";
    else if (!s.problem.empty())
        state = latin1(s.problem);
    else
        state = "Kept in " + QString::fromStdString(m_feature.databaseFile().string());
    if (!s.map.empty())
        state += "   Map: " + latin1(s.map);
    m_state->setText(state);
    m_state->setAccessibleName(state);

    fillTable(m_players, s.players, [this](int row, const stats::PlayerFigures& p) {
        m_players->setItem(row, 0, text(p.name));
        m_players->setItem(row, 1, count(p.kills));
        m_players->setItem(row, 2, count(p.deaths));
        m_players->setItem(row, 3, count(p.suicides));
        m_players->setItem(row, 4, count(p.teamKills));
        m_players->setItem(row, 5, new NumberItem(QString::fromStdString(stats::formatRatio(p.ratio())), p.ratio()));
        m_players->setItem(row, 6, text(p.favouriteWeapon));
        m_players->setItem(row, 7,
                           new NumberItem(QString::fromStdString(stats::formatDuration(p.secondsPlayed)),
                                          static_cast<double>(p.secondsPlayed)));
    });
    fillTable(m_weapons, s.weapons, [this](int row, const stats::WeaponFigures& w) {
        m_weapons->setItem(row, 0, text(w.means));
        m_weapons->setItem(row, 1, count(w.kills));
    });
    fillTable(m_games, s.games, [this, &s](int row, const stats::GameFigures& g) {
        std::string scores;
        for (const auto& [name, score] : g.scores)
            scores += (scores.empty() ? "" : ", ") + name + " " + std::to_string(score);
        m_games->setItem(row, 0, text(g.map.empty() ? std::string("?") : g.map));
        m_games->setItem(
            row, 1,
            new NumberItem(QString::fromStdString(stats::formatTime(g.started)), static_cast<double>(g.started)));
        m_games->setItem(row, 2,
                         new NumberItem(g.ended ? QString::fromStdString(stats::formatTime(g.ended)) : "running",
                                        static_cast<double>(g.ended ? g.ended : s.now + 1)));
        m_games->setItem(row, 3, text(g.how));
        m_games->setItem(row, 4, text(scores));
    });
    m_chart->setSamples(s.online, s.now);
}

WebStatsSection::WebStatsSection(stats::StatsFeature& feature, QWidget* section, int width, int height)
    : QWidget(section), m_feature(feature)
{
    setGeometry(0, 16, width, height - 17);
    const stats::WebSettings& web = feature.web();
    m_enabled = named(new QCheckBox("Serve the statistics page", this), "chkWebEnabled", "Serve the statistics page");
    m_enabled->setGeometry(8, 4, 200, 22);
    m_enabled->setChecked(web.enabled);

    addLabel("Address :", this, 214, 4, 60);
    m_address = named(new QLineEdit(latin1(web.address), this), "txtWebAddress", "Address");
    m_address->setGeometry(274, 2, 150, 24);
    connect(m_address, &QLineEdit::textEdited, this, [this] { addressEdited(); });
    addLabel("Port :", this, 434, 4, 40);
    m_port = named(new QLineEdit(QString::number(web.port), this), "txtWebPort", "Port");
    m_port->setGeometry(474, 2, 70, 24);
    m_apply = named(new QPushButton("Apply", this), "cmdWebApply", "Apply");
    m_apply->setGeometry(554, 2, 80, 24);
    connect(m_apply, &QPushButton::clicked, this, [this] { applyClicked(); });

    m_warning = new QLabel(kPublicWarning, this);
    m_warning->setObjectName("lblWebWarning");
    m_warning->setWordWrap(true);
    m_warning->setStyleSheet("color: #a00000");
    m_warning->setGeometry(8, 30, width - 16, 34);
    addressEdited();

    m_link = named(new QLabel(this), "lblWebLink", "Page address");
    m_link->setTextFormat(Qt::RichText);
    m_link->setOpenExternalLinks(true);
    m_link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_link->setWordWrap(true);
    m_link->setGeometry(8, 66, width - 16, 36);
    // The page starts with the history, after this section was built.
    auto* timer = new QTimer(this);
    timer->setInterval(1000);
    connect(timer, &QTimer::timeout, this, [this] { showState(); });
    timer->start();
    showState();
}

void WebStatsSection::addressEdited()
{
    m_warning->setVisible(stats::StatsFeature::isPublicAddress(m_address->text().trimmed().toStdString()));
}

void WebStatsSection::applyClicked()
{
    stats::WebSettings web;
    web.enabled = m_enabled->isChecked();
    web.address = m_address->text().trimmed().toStdString();
    bool ok = false;
    web.port = m_port->text().trimmed().toInt(&ok);
    if (!ok)
        web.port = -1;
    m_feature.applyWeb(web);
    addressEdited();
    showState();
}

void WebStatsSection::showState()
{
    QString text;
    if (!m_feature.web().enabled)
        text = "The page is off.";
    else if (!m_feature.webProblem().empty())
        text = latin1(m_feature.webProblem()).toHtmlEscaped();
    else if (m_feature.webServing()) {
        const QString url = QString::fromStdString(m_feature.webUrl()).toHtmlEscaped();
        text = "Serving at <a href=\"" + url + "\">" + url + "</a>";
    } else
        text = "The page starts once the server console is connected.";
    if (m_link->text() != text) {
        m_link->setText(text);
        m_link->setAccessibleDescription(text);
    }
}

} // namespace ravelin
