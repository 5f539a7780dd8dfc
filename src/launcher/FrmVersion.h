// The "Checking Version" window: a label, the progress bar pbMain and
// cmdCancel over a VersionCheck. Shown without waiting by the start
// procedure when a version location is configured; it closes itself when the
// check ends, or shows a failure until the operator closes it.
#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace ravelin {

class Dialogs;
class FileDownload;
class SettingsStore;
class VersionCheck;

class FrmVersion : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kLabel =
        "Please wait while Quake 3:Ravelin checks for newer versions of your software. This process should take no "
        "longer than 1 to 5 minutes. If the wait time grows longer than 5 minutes, you should hit the cancel button "
        "below.";

    FrmVersion(SettingsStore& settings, Dialogs& dialogs, std::unique_ptr<FileDownload> download,
               QWidget* parent = nullptr);
    ~FrmVersion() override;

    // Load: starts the check.
    void load();
    const VersionCheck& check() const { return *m_check; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<FileDownload> m_download;
    std::unique_ptr<VersionCheck> m_check;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace ravelin
