// Message boxes and the text prompt as Qt dialogs. Every dialog the program
// opens carries a mark ("a dialog of ours"): the main window runs its
// activation steps when such a dialog closes, but not when the operator
// merely switches back from another application.
#pragma once

#include "platform/Dialogs.h"

class QObject;
class QWidget;

namespace ravelin {

class QtDialogs final : public Dialogs {
public:
    static constexpr const char* kOurDialogProperty = "ravelinOwnDialog";

    Answer messageBox(const std::string& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
                      const std::string& title = kAppTitle, int defaultButton = 0) override;
    std::optional<std::string> prompt(const std::string& text, const std::string& title = kAppTitle,
                                      const std::string& defaultText = {}) override;

    // Marks a dialog as the program's own (every window class that opens a
    // dialog of its own calls this on it).
    static void markAsOurs(QWidget* dialog);
    static bool isOurs(const QObject* object);
};

} // namespace ravelin
