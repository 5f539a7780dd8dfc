// Message boxes and the text prompt. Windows call these instead of Qt's
// dialogs directly, so tests answer them without a person (the test doubles have a
// scripted implementation that records every question).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ravelin {

inline constexpr const char* kAppTitle = "Quake 3: Ravelin";

class Dialogs {
public:
    enum class Icon { None, Information, Question, Exclamation, Critical };
    // Every button set a message box offers, in the platform's order.
    enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
    enum class Answer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

    virtual ~Dialogs() = default;

    // A modal message box. Without a title the application title is used.
    // `defaultButton` counts the set's buttons from 0 (left to right); one
    // past the set falls back to the first. Closing the box without a choice
    // answers the set's Cancel (or its only button).
    virtual Answer messageBox(const std::string& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
                              const std::string& title = kAppTitle, int defaultButton = 0) = 0;

    // The answers of a set, left to right.
    static std::vector<Answer> answersOf(Buttons buttons)
    {
        switch (buttons) {
        case Buttons::Ok: return {Answer::Ok};
        case Buttons::OkCancel: return {Answer::Ok, Answer::Cancel};
        case Buttons::AbortRetryIgnore: return {Answer::Abort, Answer::Retry, Answer::Ignore};
        case Buttons::YesNoCancel: return {Answer::Yes, Answer::No, Answer::Cancel};
        case Buttons::YesNo: return {Answer::Yes, Answer::No};
        case Buttons::RetryCancel: return {Answer::Retry, Answer::Cancel};
        }
        return {Answer::Ok};
    }
    // A modal text prompt; nullopt when cancelled.
    virtual std::optional<std::string> prompt(const std::string& text, const std::string& title = kAppTitle,
                                              const std::string& defaultText = {}) = 0;
};

} // namespace ravelin
