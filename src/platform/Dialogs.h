// Message boxes and the text prompt. Windows call these instead of Qt's
// dialogs directly, so tests answer them without a person (sim/ has a
// scripted implementation that records every question).
#pragma once

#include <optional>
#include <string>

namespace ravelin {

inline constexpr const char* kAppTitle = "Quake 3: Ravelin";

class Dialogs {
public:
    enum class Icon { None, Information, Question, Exclamation, Critical };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~Dialogs() = default;

    // A modal message box. Without a title the application title is used.
    virtual Answer messageBox(const std::string& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
                              const std::string& title = kAppTitle) = 0;
    // A modal text prompt; nullopt when cancelled.
    virtual std::optional<std::string> prompt(const std::string& text, const std::string& title = kAppTitle,
                                              const std::string& defaultText = {}) = 0;
};

} // namespace ravelin
