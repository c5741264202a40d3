// The program: one instance per user session. A second start asks the running one to come to the
// front and ends before any window exists.
#include "database/Uvktapplication.h"
#include "gui/Application.h"
#include "shell/Fsplash.h"
#include "shell/Fvktsingleviewer.h"
#include "shell/Ushellservices.h"
#include "shell/Usingleinstance.h"

#include <memory>

int main(int argc, char** argv)
{
    platform::Application app(argc, argv);
    VktApplication().SetShellServices(std::make_unique<TShellServices>());
    auto instance = std::make_unique<TSingleInstance>();
    if (!instance->Claim()) return 0;

    // An error escaping start-up or the loop is shown once; the program then ends normally.
    platform::Guard([&] {
        TVktSingleViewer viewer(std::move(instance));
        TSplash splash;
        viewer.SetSplash(&splash);
        viewer.show();
        app.exec();
    });
    return 0;
}
