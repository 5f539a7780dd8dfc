#include "platform/qt/QtDialogs.h"

#include "platform/qt/QtText.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

#include <vector>

namespace ravelin {

namespace {

QMessageBox::Icon qtIcon(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information: return QMessageBox::Information;
    case Dialogs::Icon::Question: return QMessageBox::Question;
    case Dialogs::Icon::Exclamation: return QMessageBox::Warning;
    case Dialogs::Icon::Critical: return QMessageBox::Critical;
    case Dialogs::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtDialogs::markAsOurs(QWidget* dialog) { dialog->setProperty(kOurDialogProperty, true); }

bool QtDialogs::isOurs(const QObject* object) { return object && object->property(kOurDialogProperty).toBool(); }

static QMessageBox::StandardButton qtButton(Dialogs::Answer answer)
{
    switch (answer) {
    case Dialogs::Answer::Ok: return QMessageBox::Ok;
    case Dialogs::Answer::Cancel: return QMessageBox::Cancel;
    case Dialogs::Answer::Abort: return QMessageBox::Abort;
    case Dialogs::Answer::Retry: return QMessageBox::Retry;
    case Dialogs::Answer::Ignore: return QMessageBox::Ignore;
    case Dialogs::Answer::Yes: return QMessageBox::Yes;
    case Dialogs::Answer::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

Dialogs::Answer QtDialogs::messageBox(const std::string& text, Buttons buttons, Icon icon, const std::string& title,
                                      int defaultButton)
{
    const std::vector<Answer> answers = answersOf(buttons);
    QMessageBox box(qtIcon(icon), latin1(title.empty() ? std::string(kAppTitle) : title), latin1(text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    box.setObjectName("ravelinMessageBox");
    markAsOurs(&box);
    for (Answer a : answers)
        box.addButton(qtButton(a));
    const std::size_t chosen = defaultButton >= 0 && static_cast<std::size_t>(defaultButton) < answers.size()
        ? static_cast<std::size_t>(defaultButton)
        : 0;
    box.setDefaultButton(qtButton(answers[chosen]));
    // Escape and the close box give Cancel where the set has one, otherwise
    // the last button (No, Ignore) and OK for a lone OK.
    box.setEscapeButton(qtButton(answers.back()));
    const int result = box.exec();
    for (Answer a : answers)
        if (result == qtButton(a))
            return a;
    return answers.back();
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
    return latin1Bytes(dialog.textValue());
}

} // namespace ravelin
