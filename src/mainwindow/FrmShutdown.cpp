#include "mainwindow/FrmShutdown.h"

#include "platform/qt/QtDialogs.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace ravelin {

FrmShutdown::FrmShutdown(std::function<void()> sendQuit, QWidget* parent)
    : QDialog(parent), m_choice(*this, std::move(sendQuit))
{
    setObjectName("frmShutdown");
    setWindowTitle("Shutdown");
    setModal(true);
    QtDialogs::markAsOurs(this);

    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel("What do you want to do?", this);
    question->setObjectName("lblQuestion");
    layout->addWidget(question);
    for (std::size_t i = 0; i < m_optDown.size(); ++i) {
        // "&&" shows as one "&", as the captions mean it.
        auto* option = new QRadioButton(kShutdownCaptions[i], this);
        option->setObjectName(QStringLiteral("optDown%1").arg(i));
        option->setProperty("index", int(i));
        layout->addWidget(option);
        m_optDown[i] = option;
    }
    m_optDown[static_cast<std::size_t>(ShutdownChoice::kInitialWay)]->setChecked(true);

    m_picRest = new QFrame(this);
    m_picRest->setObjectName("picRest");
    m_picRest->setFrameShape(QFrame::StyledPanel);
    auto* rest = new QVBoxLayout(m_picRest);
    auto* restLabel = new QLabel("Returning control to Default Quake 3 Console... Please Wait", m_picRest);
    restLabel->setObjectName("lblRest");
    rest->addWidget(restLabel);
    m_pbMain = new QProgressBar(m_picRest);
    m_pbMain->setObjectName("pbMain");
    m_pbMain->setRange(0, ShutdownChoice::kProgressMaximum);
    m_pbMain->setValue(0);
    m_pbMain->setAccessibleName(restLabel->text());
    rest->addWidget(m_pbMain);
    m_picRest->hide();
    layout->addWidget(m_picRest);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cmdOk = new QPushButton("&Ok", this);
    m_cmdOk->setObjectName("cmdOk");
    m_cmdOk->setDefault(true);
    m_cmdCancel = new QPushButton("&Cancel", this);
    m_cmdCancel->setObjectName("cmdCancel");
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancel);
    layout->addLayout(buttons);
    connect(m_cmdOk, &QPushButton::clicked, this, [this] { m_choice.cmdOk_Click(selectedWay()); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { m_choice.cmdCancel_Click(); });

    m_tmrRest = new QTimer(this);
    m_tmrRest->setObjectName("tmrRest");
    m_tmrRest->setInterval(ShutdownChoice::kRestInterval);
    connect(m_tmrRest, &QTimer::timeout, this, [this] { m_choice.tmrRest_Timer(); });

    setFixedWidth(380);
}

ShutdownWay FrmShutdown::selectedWay() const
{
    for (std::size_t i = 0; i < m_optDown.size(); ++i)
        if (m_optDown[i]->isChecked())
            return static_cast<ShutdownWay>(i);
    return ShutdownChoice::kInitialWay;
}

// Escape is the Cancel button, with its rule (no way back once handing back).
void FrmShutdown::reject()
{
    if (m_closing)
        QDialog::reject();
    else
        m_choice.cmdCancel_Click();
}

void FrmShutdown::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    m_choice.cmdCancel_Click();
}

void FrmShutdown::showRestPanel()
{
    m_picRest->show();
    adjustSize();
}

void FrmShutdown::setButtonsEnabled(bool enabled)
{
    m_cmdOk->setEnabled(enabled);
    m_cmdCancel->setEnabled(enabled);
}

void FrmShutdown::setRestTimerEnabled(bool enabled)
{
    if (enabled)
        m_tmrRest->start();
    else
        m_tmrRest->stop();
}

void FrmShutdown::setProgress(int value) { m_pbMain->setValue(value); }

void FrmShutdown::closeDialog()
{
    m_closing = true;
    m_tmrRest->stop();
    if (m_choice.chosen())
        accept();
    else
        QDialog::reject();
}

} // namespace ravelin
