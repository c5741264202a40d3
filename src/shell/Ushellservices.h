#pragma once
// TShellServices: what the database registry asks of the shell, on the GUI: its messages and
// questions go through the program's message service, the upgrade of an old-format database
// runs in the database action dialog, and memos are written by the rich-text engine (RTF, code
// page 932; 10.5 pt text, headings 14 pt, red the colour 192, 32, 32). The main window installs it in the registry
// (TVktApplication::SetShellServices) before the database list is loaded.
#include "database/Uvktshellservices.h"

class QObject;

class TShellServices : public TVktShellServices {
public:
    void ShowError(const std::string& text, const std::string& caption) override;
    void ShowInformation(const std::string& text, const std::string& caption) override;
    // No is the default button.
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    bool UpgradeDatabase(TVktApplication& registry, const std::string& name) override;
    std::string WriteMemo(const std::vector<TMemoParagraph>& paragraphs) const override;
};

// Deletes the object when the application ends (the shell's dialogs made on first use).
void DeleteAtExit(QObject* object);
