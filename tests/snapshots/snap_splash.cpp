// The splash, the About box and the dialog base.
#include "gui/QtSupport.h"
#include "gui/Settings.h"
#include "shell/Fsplash.h"
#include "support/Snapshot.h"
#include "widgets/Fguipanel.h"

#include <QLabel>
#include <QSettings>

namespace {

// Machine values as an installation would have them; before the settings module is made.
void InstallMachineValues()
{
    const std::string file = platform::GetSettingsFolder(platform::SettingsScope::System) + "/Quillore/Vektara.ini";
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    settings.setValue("HomePage", "https://www.quillore.example/vektara/");
    settings.setValue("Mail", "support@quillore.example");
    settings.sync();
}

} // namespace

VKT_SNAPSHOT(splash)
{
    InstallMachineValues();
    auto* splash = new TSplash;
    splash->SetImage(TSplash::StartPicture());
    return splash;
}

VKT_SNAPSHOT(about)
{
    InstallMachineValues();
    auto* splash = new TSplash;
    splash->SetMode(1);
    splash->SetImage(TSplash::AboutPicture());
    return splash;
}

VKT_SNAPSHOT(vkt_dialog)
{
    InstallMachineValues();
    auto* dialog = new TVktDialog;
    dialog->setWindowTitle(platform::ToQString("クラスの変更"));
    dialog->GetStatusPanel()->setText(platform::ToQString("3件のデータを選択しています。"));
    return dialog;
}
