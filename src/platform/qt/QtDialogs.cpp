#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace ravelin {

namespace {

QString latin1(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

QMessageBox::Icon qtIcon(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    case Dialogs::Icon::Exclamation:
        return QMessageBox::Warning;
    case Dialogs::Icon::Critical:
        return QMessageBox::Critical;
    case Dialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtDialogs::markAsOurs(QWidget* dialog) { dialog->setProperty(kOurDialogProperty, true); }

bool QtDialogs::isOurs(const QObject* object) { return object && object->property(kOurDialogProperty).toBool(); }

Dialogs::Answer QtDialogs::messageBox(const std::string& text, Buttons buttons, Icon icon, const std::string& title)
{
    QMessageBox box(qtIcon(icon), latin1(title.empty() ? std::string(kAppTitle) : title), latin1(text),
                    buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName("ravelinMessageBox");
    markAsOurs(&box);
    if (buttons == Buttons::YesNo)
        box.setDefaultButton(QMessageBox::Yes);
    int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::optional<std::string> QtDialogs::prompt(const std::string& text, const std::string& title,
                                             const std::string& defaultText)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("ravelinPrompt");
    markAsOurs(&dialog);
    dialog.setWindowTitle(latin1(title.empty() ? std::string(kAppTitle) : title));
    dialog.setLabelText(latin1(text));
    dialog.setTextValue(latin1(defaultText));
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue().toLatin1().toStdString();
}

} // namespace ravelin
