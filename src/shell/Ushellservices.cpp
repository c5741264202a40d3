#include "shell/Ushellservices.h"

#include "gui/Application.h"
#include "gui/Services.h"
#include "richtext/Uexlighttext.h"
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

std::string TShellServices::WriteMemo(const std::vector<TMemoParagraph>& paragraphs) const
{
    TExLightText memo;
    // The table's first fonts: 0 a European face, 1 the Japanese one.
    constexpr int kEuropean = 0;
    constexpr int kJapanese = 1;
    const int red = memo.GetColorIndex(platform::RgbColor(192, 32, 32));
    for (const TMemoParagraph& paragraph : paragraphs) {
        for (const TMemoRun& run : paragraph) {
            TExStyle style;
            style.LowFont = style.HighFont = kEuropean;
            style.DBFont = kJapanese;
            style.Size = run.Heading ? 140 : 105;
            style.Bold = run.Bold || run.Heading ? 1 : 0;
            style.Color = run.Red ? red : 0;
            memo.SetCurrentStyle(style);
            memo.AddWord(run.Text, kWordText);
        }
        memo.AddWord(std::string(), kWordPara);
    }
    return memo.GetRich();
}

void DeleteAtExit(QObject* object)
{
    platform::Application* app = platform::Application::Instance();
    if (!app) return;
    app->AtExit([guarded = QPointer<QObject>(object)] { delete guarded.data(); });
}
