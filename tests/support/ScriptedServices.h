#pragma once
// Services for GUI tests: every call is recorded as a line, questions and pickers answer from a
// script (or with the default button / nothing when the script is empty); no real dialog opens.
#include "gui/Services.h"

#include <deque>
#include <string>
#include <vector>

namespace vkttest {

class ScriptedServices : public platform::GuiServices {
public:
    struct Message {
        std::string text;
        std::string caption;
        platform::MsgIcon icon;
        platform::MsgButtons buttons;
        platform::MsgAnswer defaultButton;
    };

    platform::MsgAnswer MessageBox(const std::string& text, const std::string& caption, platform::MsgIcon icon,
                                   platform::MsgButtons buttons, platform::MsgAnswer defaultButton) override;
    std::optional<std::string> OpenFile(const std::string& caption, const std::string& filter,
                                        const std::string& folder, const std::string& name) override;
    std::vector<std::string> OpenFiles(const std::string& caption, const std::string& filter,
                                       const std::string& folder) override;
    std::optional<std::string> SaveFile(const std::string& caption, const std::string& filter,
                                        const std::string& folder, const std::string& name,
                                        platform::OverwritePrompt prompt) override;
    std::optional<std::string> PickFolder(const std::string& caption, const std::string& folder) override;
    std::optional<platform::TColor> PickColor(platform::TColor initial) override;
    bool PageSetup(QPrinter& printer) override;
    bool OpenUrl(const std::string& url) override;
    bool ShiftDown() override { return shift; }
    void BeginBusy() override { ++busyDepth; }
    void EndBusy() override { --busyDepth; }

    // Clears the script and the records.
    void Reset();

    // Scripts: consumed front first.
    std::deque<platform::MsgAnswer> answers;
    std::deque<std::optional<std::string>> files;     // OpenFile, SaveFile and PickFolder
    std::deque<std::vector<std::string>> fileLists;   // OpenFiles; empty: cancelled
    std::deque<std::optional<platform::TColor>> colors;
    std::deque<bool> pageSetups;                       // empty: false
    bool shift = false;
    bool urlOpens = true;
    // Message boxes and pickers show a window of their own for the call, which takes the
    // activation from the active window and gives it back, as the real ones do.
    bool showsWindows = false;

    // Records.
    std::vector<Message> messages;
    std::vector<std::string> calls;   // one line per call: "OpenFile|caption|filter|start folder|name";
                                      // a save picker that does not ask about overwriting ends "|allow"
    std::vector<std::string> urls;
    int busyDepth = 0;

private:
    void ShowWindow();
};

// The services the test main installed.
ScriptedServices& Scripted();

// A fresh temporary folder under the process's test folder, made on each call.
std::string NewTempFolder(const std::string& stem = "t");

} // namespace vkttest
