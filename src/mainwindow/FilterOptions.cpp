#include "mainwindow/FilterOptions.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace ravelin {

FilterOptions::FilterOptions(ClientsFeature& clients, QWidget* page) : QWidget(page), m_clients(clients)
{
    setObjectName("filterOptions");
    setGeometry(0, 40, page->width(), 140);

    m_chkLang = new QCheckBox("Language Filter", this);
    m_chkLang->setObjectName("chkLang");
    m_chkLang->setAccessibleName(m_chkLang->text());
    m_chkLang->setGeometry(12, 0, 200, 24);
    connect(m_chkLang, &QCheckBox::clicked, this, [this](bool checked) { m_clients.admin().chkLang_Click(checked); });

    m_frLang = new QGroupBox(this);
    m_frLang->setObjectName("frLang");
    m_frLang->setAccessibleName("Language Filter");
    m_frLang->setGeometry(12, 26, 360, 80);
    static constexpr const char* captions[] = {"Mild", "Strong", "Biblical"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(captions[i], m_frLang);
        option->setObjectName(QStringLiteral("optLang%1").arg(i));
        option->setProperty("index", i);
        option->setAccessibleName(option->text());
        option->setGeometry(12, 8 + i * 22, 200, 22);
        connect(option, &QRadioButton::clicked, this, [this, i] { m_clients.admin().optLang_Click(i); });
        m_optLang[static_cast<std::size_t>(i)] = option;
    }
    m_optLang[0]->setChecked(true);
    setLanguageOptionsEnabled(false);

    m_label6 = new QLabel("You can add more filters by editing Q3A_ConsoleExec.q3s", this);
    m_label6->setObjectName("Label6");
    m_label6->setGeometry(12, 110, 420, 22);

    m_clients.setFilterView(this);
}

void FilterOptions::setLanguageFilterChecked(bool checked) { m_chkLang->setChecked(checked); }

void FilterOptions::setLanguageOptionsEnabled(bool enabled)
{
    m_frLang->setEnabled(enabled);
    for (QRadioButton* option : m_optLang)
        option->setEnabled(enabled);
}

int FilterOptions::selectedLanguageOption() const
{
    for (int i = 0; i < 3; ++i)
        if (m_optLang[static_cast<std::size_t>(i)]->isChecked())
            return i;
    return 0;
}

} // namespace ravelin
