#pragma once
// What the database registry needs of the application shell: its message boxes, the overwrite
// question, the database action dialog's upgrade and the rich-text writer of memos. The shell installs its own implementation in
// the registry (TVktApplication::SetShellServices); until then this base class serves, showing
// nothing, answering No, running an upgrade directly and writing a memo's text alone.
#include <string>
#include <vector>

class TVktApplication;

// A run of a memo's paragraph (UTF-8) and how it is marked.
struct TMemoRun {
    std::string Text;
    bool Bold = false;
    bool Red = false;
    bool Heading = false;   // the heading size
};
using TMemoParagraph = std::vector<TMemoRun>;

class TVktShellServices {
public:
    TVktShellServices() = default;
    TVktShellServices(const TVktShellServices&) = delete;
    TVktShellServices& operator=(const TVktShellServices&) = delete;
    virtual ~TVktShellServices() = default;

    // Message box with a stop icon and an OK button.
    virtual void ShowError(const std::string& text, const std::string& caption);
    // Message box with an information icon and an OK button.
    virtual void ShowInformation(const std::string& text, const std::string& caption);
    // Question with a question icon, Yes and No buttons and No as the default button; true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption);
    // The database action dialog's upgrade: shows the dialog with its status text, runs
    // registry.UpgradeDatabase(name) exactly once and returns its result.
    virtual bool UpgradeDatabase(TVktApplication& registry, const std::string& name);
    // The memo as the program's rich-text writer stores it (RTF). Here its text alone, each
    // paragraph ended by CR LF.
    virtual std::string WriteMemo(const std::vector<TMemoParagraph>& paragraphs) const;
};
