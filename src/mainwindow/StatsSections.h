// The contents of the stats page's two sections. "Internal Statistics":
// the period (this game, today, all time), the bots and retention options,
// sortable tables of players, weapons and games, and the chart of players
// online over the last 24 hours. "Web Statistics": the page's switch,
// address and port (the INI group [WebStatistics]), a warning when the
// address is not this machine's own, and the page's link. Both forward to
// the session's StatsFeature and only show what it reports.
#pragma once

#include "stats/StatsFeature.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace ravelin {

// The players-online curve of the last 24 hours, drawn with QPainter.
class OnlineChart final : public QWidget {
public:
    explicit OnlineChart(QWidget* parent);
    void setSamples(std::vector<stats::OnlineSample> samples, std::int64_t now);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<stats::OnlineSample> m_samples;
    std::int64_t m_now = 0;
};

class InternalStatsSection final : public QWidget {
public:
    static constexpr int kRefreshMilliseconds = 5000;

    InternalStatsSection(stats::StatsFeature& feature, QWidget* section, int width, int height);
    // Reads the figures again and fills the tables.
    void refresh();

    QComboBox* span() const { return m_span; }
    QTableWidget* players() const { return m_players; }
    QTableWidget* weapons() const { return m_weapons; }
    QTableWidget* games() const { return m_games; }
    OnlineChart* chart() const { return m_chart; }
    QLabel* state() const { return m_state; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    stats::StatsFeature& m_feature;
    QComboBox* m_span = nullptr;
    QCheckBox* m_bots = nullptr;
    QSpinBox* m_retention = nullptr;
    QLabel* m_state = nullptr;
    QTabWidget* m_tabs = nullptr;
    QTableWidget* m_players = nullptr;
    QTableWidget* m_weapons = nullptr;
    QTableWidget* m_games = nullptr;
    OnlineChart* m_chart = nullptr;
    QTimer* m_timer = nullptr;
};

class WebStatsSection final : public QWidget {
public:
    static constexpr const char* kPublicWarning =
        "Warning: with an address other than 127.0.0.1 the page is public: anyone who can reach this machine can "
        "read it.";

    WebStatsSection(stats::StatsFeature& feature, QWidget* section, int width, int height);
    void showState();

    QCheckBox* enabled() const { return m_enabled; }
    QLineEdit* address() const { return m_address; }
    QLineEdit* port() const { return m_port; }
    QPushButton* apply() const { return m_apply; }
    QLabel* link() const { return m_link; }
    QLabel* warning() const { return m_warning; }

private:
    void applyClicked();
    void addressEdited();

    stats::StatsFeature& m_feature;
    QCheckBox* m_enabled = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_port = nullptr;
    QPushButton* m_apply = nullptr;
    QLabel* m_warning = nullptr;
    QLabel* m_link = nullptr;
};

} // namespace ravelin
