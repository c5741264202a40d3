#pragma once
// What the database registry needs of the application shell: its message boxes, the overwrite
// question and the database action dialog's upgrade. The shell installs its own implementation in
// the registry (TVktApplication::SetShellServices); until then this base class serves, showing
// nothing, answering No and running an upgrade directly.
#include <string>

class TVktApplication;

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
};
