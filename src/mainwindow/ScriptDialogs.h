// MsgBox and InputBox of the operator's scripts, answered by the program's
// own dialogs. A MsgBox's buttons argument packs the button set (0–5), the
// icon (16, 32, 48, 64) and the default button (0, 256, 512, 768); the
// answer is the VBScript constant of the button chosen (vbOK 1 … vbNo 7).
#pragma once

#include "platform/Dialogs.h"

#include <string>

namespace ravelin {

struct MsgBoxStyle {
    Dialogs::Buttons buttons = Dialogs::Buttons::Ok;
    Dialogs::Icon icon = Dialogs::Icon::None;
    int defaultButton = 0;
};

MsgBoxStyle msgBoxStyle(int buttons);
int msgBoxResult(Dialogs::Answer answer);

// Shows the box; a script without a title gets the application's.
int scriptMsgBox(Dialogs& dialogs, const std::string& prompt, int buttons, const std::string& title);
// The text typed, or "" when the prompt was cancelled, as VBScript gives it.
std::string scriptInputBox(Dialogs& dialogs, const std::string& prompt, const std::string& title,
                           const std::string& defaultText);

} // namespace ravelin
