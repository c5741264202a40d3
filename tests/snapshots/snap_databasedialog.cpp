// The open-database dialog's four pages over three databases, one of them open; the action
// dialog; the update dialog running, done and failed (against servers on 127.0.0.1).
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "gui/Settings.h"
#include "shell/Fdatabasedialog.h"
#include "shell/Fdbactiondialog.h"
#include "shell/Finternetcheckdialog.h"
#include "support/ScriptedServices.h"
#include "support/Snapshot.h"
#include "widgets/Mvktmodule.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

namespace {

TVktApplication& SampleRegistry()
{
    static TVktApplication* registry = [] {
        auto* made = new TVktApplication;
        made->SetProductName("Vektara 2005");
        for (const char* name : {"本店キッチン", "駅前店", "試作用データベース"})
            made->CreateDatabase(name, vkttest::NewTempFolder("db"));
        made->GetObject("本店キッチン")->AddRef();
        return made;
    }();
    return *registry;
}

QWidget* DialogOnPage(int page)
{
    auto* dialog = new TOpenDataBaseDialog(&SampleRegistry());
    dialog->BuildList();
    if (page == 3) dialog->ShowPage(1);   // the name page is reached from the create page
    dialog->ShowPage(page);
    if (page == 0) dialog->GetList()->setCurrentRow(3);
    dialog->UpdateActions();
    return dialog;
}

// A server on 127.0.0.1 that answers with `response`, or never when it is empty; and a module
// whose home page it is.
TVktModule* ModuleServedBy(const std::string& response, bool refuse = false)
{
    auto* server = new QTcpServer;   // lives to the end of the run
    server->listen(QHostAddress::LocalHost, 0);
    QObject::connect(server, &QTcpServer::newConnection, server, [server, response] {
        QTcpSocket* socket = server->nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, response] {
            socket->readAll();
            if (response.empty()) return;
            socket->write(response.data(), static_cast<qint64>(response.size()));
            socket->disconnectFromHost();
        });
    });
    const std::string url = "http://127.0.0.1:" + std::to_string(server->serverPort()) + "/";
    if (refuse) server->close();
    platform::SettingsKey key(platform::SettingsScope::User, "Quillore\\Vektara");
    key.WriteString("HomePage", url);
    key.Flush();
    static std::vector<std::unique_ptr<TVktModule>> modules;
    modules.push_back(std::make_unique<TVktModule>());
    return modules.back().get();
}

} // namespace

VKT_SNAPSHOT(database_select) { return DialogOnPage(0); }
VKT_SNAPSHOT(database_create) { return DialogOnPage(1); }
VKT_SNAPSHOT(database_register) { return DialogOnPage(2); }
VKT_SNAPSHOT(database_name) { return DialogOnPage(3); }

VKT_SNAPSHOT(database_action)
{
    auto* dialog = new TDBActionDialog(SampleRegistry());
    dialog->SetStatusText("データベース作成中...");
    return dialog;
}

VKT_SNAPSHOT(update_running) { return new TInternetCheckDialog(ModuleServedBy({})); }

VKT_SNAPSHOT(update_done)
{
    const std::string body = "[Quillore\\Vektara]\r\nHomePageDate=2024/03/01\r\n";
    return new TInternetCheckDialog(ModuleServedBy("HTTP/1.1 200 OK\r\nContent-Length: " +
                                                   std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body));
}

VKT_SNAPSHOT(update_failed) { return new TInternetCheckDialog(ModuleServedBy({}, true)); }
