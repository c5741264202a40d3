#include "shell/Ushellservices.h"

#include "gui/Application.h"
#include "gui/Services.h"
#include "shell/Fdbactiondialog.h"

#include <QPointer>

void TShellServices::ShowError(const std::string& text, const std::string& caption)
{
    platform::ShowError(text, caption);
}

void TShellServices::ShowInformation(const std::string& text, const std::string& caption)
{
    platform::ShowInformation(text, caption);
}

bool TShellServices::AskYesNo(const std::string& text, const std::string& caption)
{
    return platform::AskYesNo(text, caption, false);
}

bool TShellServices::UpgradeDatabase(TVktApplication& registry, const std::string& name)
{
    return WithActionDialog(registry, [&](TDBActionDialog& dialog) { return dialog.UpgradeDatabase(name); });
}

void DeleteAtExit(QObject* object)
{
    platform::Application* app = platform::Application::Instance();
    if (!app) return;
    app->AtExit([guarded = QPointer<QObject>(object)] { delete guarded.data(); });
}
