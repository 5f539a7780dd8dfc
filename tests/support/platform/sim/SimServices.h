// Test doubles for the platform services other than the desktop: dialogs
// answered from a script of replies (every question is recorded), settings
// in memory, fixed host facts.
#pragma once

#include "platform/Dialogs.h"
#include "platform/HostInfo.h"
#include "platform/MemoryInfo.h"
#include "platform/SettingsStore.h"

#include <deque>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace ravelin::sim {

class ScriptedDialogs final : public Dialogs {
public:
    struct Asked {
        std::string text;
        Buttons buttons;
        Icon icon;
        std::string title;
        int defaultButton = 0;
        std::string defaultText; // a prompt's proposed answer
    };

    // Replies given in order; when they run out, a box answers its last
    // button (No, Cancel or Ignore) and prompts are cancelled.
    void queueAnswer(Answer answer) { m_answers.push_back(answer); }
    void queuePrompt(std::optional<std::string> reply) { m_prompts.push_back(std::move(reply)); }
    const std::vector<Asked>& asked() const { return m_asked; }
    // Just the texts asked, in order.
    std::vector<std::string> askedTexts() const
    {
        std::vector<std::string> texts;
        for (const Asked& a : m_asked)
            texts.push_back(a.text);
        return texts;
    }
    void clear() { m_asked.clear(); }

    Answer messageBox(const std::string& text, Buttons buttons, Icon icon, const std::string& title,
                      int defaultButton) override
    {
        m_asked.push_back({text, buttons, icon, title, defaultButton, {}});
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        if (m_answers.empty())
            return answersOf(buttons).back();
        Answer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }

    std::optional<std::string> prompt(const std::string& text, const std::string& title,
                                      const std::string& defaultText) override
    {
        m_asked.push_back({text, Buttons::Ok, Icon::None, title, 0, defaultText});
        if (m_prompts.empty())
            return std::nullopt;
        auto reply = m_prompts.front();
        m_prompts.pop_front();
        return reply;
    }

private:
    std::deque<Answer> m_answers;
    std::deque<std::optional<std::string>> m_prompts;
    std::vector<Asked> m_asked;
};

class MemorySettings final : public SettingsStore {
public:
    std::string getSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view fallback) override
    {
        auto it = m_values.find({std::string(app), std::string(section), std::string(key)});
        return it == m_values.end() ? std::string(fallback) : it->second;
    }
    void saveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override
    {
        m_values[{std::string(app), std::string(section), std::string(key)}] = std::string(value);
    }
    bool has(std::string_view app, std::string_view section, std::string_view key) const
    {
        return m_values.count({std::string(app), std::string(section), std::string(key)}) > 0;
    }

private:
    std::map<std::tuple<std::string, std::string, std::string>, std::string> m_values;
};

class FixedHostInfo final : public HostInfo {
public:
    std::string name = "testhost";
    std::string ip = "192.168.10.20";
    std::string computerName() override { return name; }
    std::string localIp() override { return ip; }
};

// Memory figures a test sets.
class FixedMemoryInfo final : public MemoryInfo {
public:
    MemoryStatus figures;
    MemoryStatus status() override { return figures; }
};

} // namespace ravelin::sim
