#include "mainwindow/ScriptDialogs.h"

namespace ravelin {

MsgBoxStyle msgBoxStyle(int buttons)
{
    MsgBoxStyle style;
    // Sets past RetryCancel do not exist; such a box gets OK alone.
    switch (buttons & 7) {
    case 1: style.buttons = Dialogs::Buttons::OkCancel; break;
    case 2: style.buttons = Dialogs::Buttons::AbortRetryIgnore; break;
    case 3: style.buttons = Dialogs::Buttons::YesNoCancel; break;
    case 4: style.buttons = Dialogs::Buttons::YesNo; break;
    case 5: style.buttons = Dialogs::Buttons::RetryCancel; break;
    default: style.buttons = Dialogs::Buttons::Ok; break;
    }
    switch (buttons & 0x70) {
    case 16: style.icon = Dialogs::Icon::Critical; break;
    case 32: style.icon = Dialogs::Icon::Question; break;
    case 48: style.icon = Dialogs::Icon::Exclamation; break;
    case 64: style.icon = Dialogs::Icon::Information; break;
    default: break;
    }
    // A default past the set's last button falls back to the first.
    const int wanted = (buttons >> 8) & 3;
    style.defaultButton = wanted < static_cast<int>(Dialogs::answersOf(style.buttons).size()) ? wanted : 0;
    return style;
}

int msgBoxResult(Dialogs::Answer answer)
{
    switch (answer) {
    case Dialogs::Answer::Ok: return 1;
    case Dialogs::Answer::Cancel: return 2;
    case Dialogs::Answer::Abort: return 3;
    case Dialogs::Answer::Retry: return 4;
    case Dialogs::Answer::Ignore: return 5;
    case Dialogs::Answer::Yes: return 6;
    case Dialogs::Answer::No: return 7;
    }
    return 1;
}

int scriptMsgBox(Dialogs& dialogs, const std::string& prompt, int buttons, const std::string& title)
{
    const MsgBoxStyle style = msgBoxStyle(buttons);
    return msgBoxResult(dialogs.messageBox(prompt, style.buttons, style.icon,
                                           title.empty() ? std::string(kAppTitle) : title, style.defaultButton));
}

std::string scriptInputBox(Dialogs& dialogs, const std::string& prompt, const std::string& title,
                           const std::string& defaultText)
{
    return dialogs.prompt(prompt, title.empty() ? std::string(kAppTitle) : title, defaultText).value_or(std::string());
}

} // namespace ravelin
