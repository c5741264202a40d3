#include "gui/Services.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "platform/Files.h"
#include "platform/ProgramFiles.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QUrl>
#include <QWidget>

#include <filesystem>

namespace platform {

namespace {

QMessageBox::StandardButton ToQButton(MsgAnswer answer)
{
    switch (answer) {
    case MsgAnswer::Ok: return QMessageBox::Ok;
    case MsgAnswer::Cancel: return QMessageBox::Cancel;
    case MsgAnswer::Yes: return QMessageBox::Yes;
    case MsgAnswer::No: return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

class QtServices final : public GuiServices {
public:
    MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons,
                         MsgAnswer defaultButton) override
    {
        static constexpr QMessageBox::Icon kIcons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                                       QMessageBox::Warning, QMessageBox::Information,
                                                       QMessageBox::Question};
        QMessageBox::StandardButtons qbuttons;
        MsgAnswer escape = MsgAnswer::Cancel;
        switch (buttons) {
        case MsgButtons::Ok: qbuttons = QMessageBox::Ok; escape = MsgAnswer::Ok; break;
        case MsgButtons::OkCancel: qbuttons = QMessageBox::Ok | QMessageBox::Cancel; break;
        case MsgButtons::YesNo: qbuttons = QMessageBox::Yes | QMessageBox::No; escape = MsgAnswer::No; break;
        case MsgButtons::YesNoCancel: qbuttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
        }
        QMessageBox box(kIcons[static_cast<int>(icon)], ToQString(caption), ToQString(text), qbuttons,
                        DialogParent());
        if (qbuttons.testFlag(ToQButton(defaultButton))) box.setDefaultButton(ToQButton(defaultButton));
        box.setEscapeButton(ToQButton(escape));
        switch (box.exec()) {
        case QMessageBox::Ok: return MsgAnswer::Ok;
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Cancel: return MsgAnswer::Cancel;
        default: return escape;
        }
    }

    std::optional<std::string> OpenFile(const std::string& caption, const std::string& filter,
                                        const std::string& folder, const std::string& name) override
    {
        const QString file = QFileDialog::getOpenFileName(DialogParent(), ToQString(caption), StartPath(folder, name),
                                                          ToQString(QtFileFilter(filter)));
        return Chosen(file);
    }

    std::vector<std::string> OpenFiles(const std::string& caption, const std::string& filter,
                                       const std::string& folder) override
    {
        std::vector<std::string> files;
        for (const QString& file : QFileDialog::getOpenFileNames(DialogParent(), ToQString(caption),
                                                                 ToQString(PickerStartFolder(folder)),
                                                                 ToQString(QtFileFilter(filter))))
            files.push_back(FromQString(file));
        return files;
    }

    std::optional<std::string> SaveFile(const std::string& caption, const std::string& filter,
                                        const std::string& folder, const std::string& name,
                                        OverwritePrompt prompt) override
    {
        const QFileDialog::Options options =
            prompt == OverwritePrompt::Allow ? QFileDialog::DontConfirmOverwrite : QFileDialog::Options();
        const QString file = QFileDialog::getSaveFileName(DialogParent(), ToQString(caption), StartPath(folder, name),
                                                          ToQString(QtFileFilter(filter)), nullptr, options);
        return Chosen(file);
    }

    std::optional<std::string> PickFolder(const std::string& caption, const std::string& folder) override
    {
        return Chosen(QFileDialog::getExistingDirectory(DialogParent(), ToQString(caption),
                                                        ToQString(PickerStartFolder(folder))));
    }

    std::optional<TColor> PickColor(TColor initial) override
    {
        const QColor color = QColorDialog::getColor(ToQColor(initial), DialogParent());
        if (!color.isValid()) return std::nullopt;
        return FromQColor(color);
    }

    bool PageSetup(QPrinter& printer) override
    {
        QPageSetupDialog dialog(&printer, DialogParent());
        return dialog.exec() == QDialog::Accepted;
    }

    bool OpenUrl(const std::string& url) override
    {
        // Tolerant parsing percent-encodes blanks and other characters a link may not hold.
        return QDesktopServices::openUrl(QUrl(ToQString(url), QUrl::TolerantMode));
    }

    bool ShiftDown() override
    {
        return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
    }

    void BeginBusy() override { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    void EndBusy() override { QGuiApplication::restoreOverrideCursor(); }

private:
    static QString StartPath(const std::string& folder, const std::string& name)
    {
        return ToQString(JoinPath(PickerStartFolder(folder), std::filesystem::path(name).filename().string()));
    }

    static std::optional<std::string> Chosen(const QString& path)
    {
        if (path.isEmpty()) return std::nullopt;
        return FromQString(path);
    }
};

GuiServices*& Installed()
{
    static GuiServices* services = nullptr;
    return services;
}

std::string& HelpFolder()
{
    static std::string folder;
    return folder;
}

void ShowHelpPage(const std::string& page)
{
    std::string folder = HelpFolder();
    if (folder.empty()) folder = ProgramDataFolder() + "help";
    const std::string wanted = folder + "/" + page;
    for (const std::string& path : {wanted, folder + "/index.html"}) {
        if (QFileInfo(ToQString(path)).isFile()) {
            Services().OpenUrl(FromQString(QUrl::fromLocalFile(ToQString(path)).toString()));
            return;
        }
    }
    ShowError("ヘルプファイルが見つかりません。\r\n" + wanted);
}

std::string Caption(const std::string& caption)
{
    if (!caption.empty()) return caption;
    if (const Application* app = Application::Instance()) return app->GetDisplayName();
    return {};
}

} // namespace

GuiServices& Services()
{
    if (GuiServices* services = Installed()) return *services;
    static const std::unique_ptr<GuiServices> real = MakeQtServices();
    return *real;
}

void SetServices(GuiServices* services) { Installed() = services; }

std::string PickerStartFolder(const std::string& path)
{
    std::filesystem::path folder = std::filesystem::path(path).lexically_normal();
    if (folder.is_absolute()) {
        if (!folder.has_filename()) folder = folder.parent_path();   // a trailing separator
        for (;; folder = folder.parent_path()) {
            if (FolderExists(folder.string())) return folder.string();
            if (folder == folder.root_path()) break;
        }
    }
    return FromQString(QDir::homePath());
}

std::unique_ptr<GuiServices> MakeQtServices() { return std::make_unique<QtServices>(); }

std::string QtFileFilter(const std::string& filter)
{
    if (filter.find('|') == std::string::npos) return filter;
    // Pairs of description and patterns ("*.a;*.b"); Qt takes "description (*.a *.b)" joined by ";;".
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = filter.find('|', start);
        parts.push_back(filter.substr(start, bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::string result;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns;
        std::size_t from = 0;
        while (from <= parts[i + 1].size()) {
            const std::size_t semicolon = std::min(parts[i + 1].find(';', from), parts[i + 1].size());
            std::string pattern = parts[i + 1].substr(from, semicolon - from);
            if (pattern == "*.*") pattern = "*";
            if (!pattern.empty()) patterns += (patterns.empty() ? "" : " ") + pattern;
            from = semicolon + 1;
        }
        if (!result.empty()) result += ";;";
        result += parts[i] + " (" + patterns + ")";
    }
    return result;
}

void ShowError(const std::string& text, const std::string& caption)
{
    Services().MessageBox(text, Caption(caption), MsgIcon::Stop, MsgButtons::Ok, MsgAnswer::Ok);
}

void ShowWarning(const std::string& text, const std::string& caption)
{
    Services().MessageBox(text, Caption(caption), MsgIcon::Warning, MsgButtons::Ok, MsgAnswer::Ok);
}

void ShowInformation(const std::string& text, const std::string& caption)
{
    Services().MessageBox(text, Caption(caption), MsgIcon::Information, MsgButtons::Ok, MsgAnswer::Ok);
}

bool AskYesNo(const std::string& text, const std::string& caption, bool defaultYes)
{
    return Services().MessageBox(text, Caption(caption), MsgIcon::Question, MsgButtons::YesNo,
                                 defaultYes ? MsgAnswer::Yes : MsgAnswer::No) == MsgAnswer::Yes;
}

void ShowHelp(int context)
{
    if (context <= 0) {
        ShowHelpContents();
        return;
    }
    ShowHelpPage(std::to_string(context) + ".html");
}

void ShowHelpContents() { ShowHelpPage("index.html"); }

void SetHelpFolder(const std::string& folder) { HelpFolder() = folder; }

} // namespace platform
