#pragma once
// A recording stand-in for the shell's services: every message and question is recorded with its
// kind, text and caption; questions are answered from a script (No once it runs out); upgrades are
// recorded and, unless told otherwise, run on the registry as the real dialog does.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "database/Uvktapplication.h"
#include "database/Uvktshellservices.h"

class FakeShell : public TVktShellServices {
public:
    enum class Kind { Error, Information, Question };

    struct Message {
        Kind kind;
        std::string text;
        std::string caption;
    };

    void ShowError(const std::string& text, const std::string& caption) override {
        Record({Kind::Error, text, caption});
    }
    void ShowInformation(const std::string& text, const std::string& caption) override {
        Record({Kind::Information, text, caption});
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        Record({Kind::Question, text, caption});
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool UpgradeDatabase(TVktApplication& registry, const std::string& name) override {
        upgrades.push_back(name);
        return runUpgrades ? registry.UpgradeDatabase(name) : false;
    }

    // The texts of the recorded messages of one kind, in order.
    std::vector<std::string> Texts(Kind kind) const {
        std::vector<std::string> texts;
        for (const Message& message : messages)
            if (message.kind == kind) texts.push_back(message.text);
        return texts;
    }

    std::vector<Message> messages;
    // Called with each message as it is shown (the state of the world while the box is up).
    std::function<void(const Message& message)> onMessage;
    std::deque<bool> answers;          // scripted Yes (true) / No (false) answers
    std::vector<std::string> upgrades;  // names given to UpgradeDatabase
    bool runUpgrades = true;

private:
    void Record(const Message& message) {
        messages.push_back(message);
        if (onMessage) onMessage(message);
    }
};

// Installs a FakeShell in the registry and returns it (the registry owns it).
inline FakeShell& InstallFakeShell(TVktApplication& registry) {
    auto shell = std::make_unique<FakeShell>();
    FakeShell& result = *shell;
    registry.SetShellServices(std::move(shell));
    return result;
}
