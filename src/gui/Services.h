#pragma once
// The services through which the program asks the user and the desktop: message boxes, file,
// folder and colour pickers, page set-up, links, help, the Shift state and the busy cursor.
// Tests install scripted services; nothing modal then blocks.
#include "platform/Color.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPrinter;

namespace platform {

enum class MsgIcon { None, Stop, Warning, Information, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };
// Whether the save picker itself asks before an existing file is chosen; Allow where the caller asks.
enum class OverwritePrompt { Ask, Allow };

class GuiServices {
public:
    GuiServices() = default;
    GuiServices(const GuiServices&) = delete;
    GuiServices& operator=(const GuiServices&) = delete;
    virtual ~GuiServices() = default;

    // `defaultButton` is the answer of Enter; the answer of Esc or the window's close is Cancel
    // or No where there is no Cancel.
    virtual MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                 MsgButtons buttons, MsgAnswer defaultButton) = 0;
    // Filters in the form "説明|*.xml;*.txt|すべて|*.*"; nullopt when cancelled. `folder` is what the
    // caller knows of where to look (a folder, a file in it, or nothing); the pickers start at
    // PickerStartFolder of it. Of `name`, the file proposed, only the file name counts.
    virtual std::optional<std::string> OpenFile(const std::string& caption, const std::string& filter,
                                                const std::string& folder, const std::string& name) = 0;
    // Several files at once, in the order the dialog gives them; empty when cancelled.
    virtual std::vector<std::string> OpenFiles(const std::string& caption, const std::string& filter,
                                               const std::string& folder) = 0;
    virtual std::optional<std::string> SaveFile(const std::string& caption, const std::string& filter,
                                                const std::string& folder, const std::string& name,
                                                OverwritePrompt prompt = OverwritePrompt::Ask) = 0;
    virtual std::optional<std::string> PickFolder(const std::string& caption, const std::string& folder) = 0;
    virtual std::optional<TColor> PickColor(TColor initial) = 0;
    // The printer's page set-up dialog; true when accepted.
    virtual bool PageSetup(QPrinter& printer) = 0;
    // Opens a web page or a mailto: link in the desktop's programs; false when none could.
    virtual bool OpenUrl(const std::string& url) = 0;
    virtual bool ShiftDown() = 0;
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
};

// The services in force (the real ones unless a test installed others).
GuiServices& Services();
// Installs services; nullptr restores the real ones. The caller keeps ownership.
void SetServices(GuiServices* services);
// The real services over Qt's dialogs and the desktop.
std::unique_ptr<GuiServices> MakeQtServices();

// The folder a file or folder picker starts in: `path` when it names an existing folder, else the
// nearest existing folder above it (a file's own folder), else the user's home. An empty or
// relative path starts at home, never in the program's working folder.
std::string PickerStartFolder(const std::string& path);

// Converts a filter "説明|*.a;*.b|…" into Qt's "説明 (*.a *.b);;…" ("*.*" becomes "*").
std::string QtFileFilter(const std::string& filter);

// Shorthands over MessageBox; an empty caption is the program's name.
void ShowError(const std::string& text, const std::string& caption = {});
void ShowWarning(const std::string& text, const std::string& caption = {});
void ShowInformation(const std::string& text, const std::string& caption = {});
// Yes/No question with the question icon; `defaultYes` chooses the Enter answer.
bool AskYesNo(const std::string& text, const std::string& caption, bool defaultYes = false);

// Help pages: help/<context>.html in the program's data folder (ProgramDataFolder), else
// help/index.html; neither shows one Stop box naming the missing page.
void ShowHelp(int context);
void ShowHelpContents();
// The folder help pages are looked up in (tests point it elsewhere).
void SetHelpFolder(const std::string& folder);

// The busy cursor for a scope.
class BusyCursor {
public:
    BusyCursor() { Services().BeginBusy(); }
    ~BusyCursor() { Services().EndBusy(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace platform
