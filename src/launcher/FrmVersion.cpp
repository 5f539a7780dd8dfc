#include "launcher/FrmVersion.h"

#include "launcher/ServerList.h"
#include "launcher/VersionCheck.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace ravelin {

FrmVersion::FrmVersion(SettingsStore& settings, Dialogs& dialogs, std::unique_ptr<FileDownload> download,
                       QWidget* parent)
    : QWidget(parent), m_download(std::move(download))
{
    setObjectName("frmVersion");
    setWindowTitle("Checking Version");

    m_label = new QLabel(kLabel, this);
    m_label->setObjectName("Label1");
    m_label->setWordWrap(true);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName("pbMain");
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName("Download progress");
    m_cancel = new QPushButton("&Cancel", this);
    m_cancel->setObjectName("cmdCancel");
    m_cancel->setAccessibleName("Cancel");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    setFixedWidth(380);

    VersionCheck::Callbacks callbacks;
    callbacks.barChanged = [this](double maximum, double value) {
        // The bar counts whole bytes; a file is at most a few kilobytes.
        m_bar->setRange(0, int(std::lround(maximum)));
        m_bar->setValue(int(std::lround(value)));
    };
    callbacks.openLocation = [](const std::string& location) {
        QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(location)));
    };
    // Closing from inside a download handler would delete the handler's
    // owner under it; the close waits for the event loop.
    callbacks.closeWindow = [this] { QTimer::singleShot(0, this, &QWidget::close); };
    // The failure stays in this window, which nothing waits on, until the
    // operator closes it; the start and main windows carry on meanwhile.
    callbacks.showFailure = [this](const std::string& text, const std::string& title) {
        setWindowTitle(QString::fromStdString(title));
        m_label->setText(QString::fromStdString(text));
        m_bar->hide();
        m_cancel->setText("&Close");
        m_cancel->setAccessibleName("Close");
    };
    m_check = std::make_unique<VersionCheck>(settings, dialogs, *m_download,
                                             VersionNumber{kVersionMajor, kVersionMinor, kVersionRevision},
                                             std::move(callbacks));
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_check->finished())
            close();
        else
            m_check->cmdCancel_Click();
    });
}

FrmVersion::~FrmVersion() = default;

void FrmVersion::load() { m_check->load(); }

void FrmVersion::closeEvent(QCloseEvent* event)
{
    // Closing the window by its frame is a Cancel.
    if (!m_check->finished())
        m_check->cmdCancel_Click();
    event->accept();
}

} // namespace ravelin
