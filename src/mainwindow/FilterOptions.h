// The language filter's controls on the options page (the band from y 40 to
// 180): the switch, the frame with the three levels, and the note naming the
// script file where filters live.
#pragma once

#include "clients/ClientsFeature.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace ravelin {

class FilterOptions final : public QWidget, public FilterView {
public:
    FilterOptions(ClientsFeature& clients, QWidget* page);

    void setLanguageFilterChecked(bool checked) override;
    void setLanguageOptionsEnabled(bool enabled) override;
    int selectedLanguageOption() const override;

private:
    ClientsFeature& m_clients;
    QCheckBox* m_chkLang;
    QGroupBox* m_frLang; // the frame around the three filter levels
    std::array<QRadioButton*, 3> m_optLang{};
    QLabel* m_label6; // the note that more filters are added in the scripts
};

} // namespace ravelin
