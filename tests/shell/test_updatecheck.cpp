// The update check against an HTTP server of the test's own on 127.0.0.1: the request, the
// parse of the update file into the machine values, the version rule, the manual dialog and the
// notices.
#include "gui/Settings.h"
#include "platform/Codec.h"
#include "shell/Finternetcheckdialog.h"
#include "support/ScriptedServices.h"
#include "widgets/Mvktmodule.h"
#include "widgets/Uhttpthread.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

namespace {

constexpr const char* kProductKey = "Quillore\\Vektara";

// Answers every request with one canned response (or never, when stalling) and keeps the requests.
class HttpServer : public QObject {
public:
    explicit HttpServer(std::string response = {}, bool stall = false)
        : response_(std::move(response)), stall_(stall)
    {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                auto request = std::make_shared<std::string>();
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                    *request += socket->readAll().toStdString();
                    if (request->find("\r\n\r\n") == std::string::npos) return;
                    requests.push_back(*request);
                    if (stall_) return;
                    socket->write(response_.data(), static_cast<qint64>(response_.size()));
                    socket->disconnectFromHost();
                });
            }
        });
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + "/vkt/"; }

    std::vector<std::string> requests;

private:
    QTcpServer server_;
    std::string response_;
    bool stall_;
};

std::string Response(int status, const std::string& body, bool withLength = true)
{
    std::string head = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Not Found") + "\r\n";
    if (withLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return head + "Content-Type: text/plain\r\nConnection: close\r\n\r\n" + body;
}

// An address on 127.0.0.1 where nothing listens.
std::string RefusingUrl()
{
    QTcpServer server;
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    const std::string url = "http://127.0.0.1:" + std::to_string(server.serverPort()) + "/vkt/";
    server.close();
    return url;
}

bool WaitFor(const std::function<bool()>& done, int ms = 10000)
{
    for (int waited = 0; !done() && waited < ms; waited += 10) QTest::qWait(10);
    return done();
}

class UpdateCheckTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        for (auto scope : {platform::SettingsScope::User, platform::SettingsScope::System}) {
            saved_.push_back(platform::GetSettingsFolder(scope));
            platform::SetSettingsFolder(scope, vkttest::NewTempFolder("settings"));
        }
        unsetenv("http_proxy");
        unsetenv("https_proxy");
        unsetenv("HTTP_PROXY");
        unsetenv("HTTPS_PROXY");
    }
    void TearDown() override
    {
        platform::SetSettingsFolder(platform::SettingsScope::User, saved_[0]);
        platform::SetSettingsFolder(platform::SettingsScope::System, saved_[1]);
        THTTPThread::SetDefaultTimeout(30000);
        vkttest::Scripted().Reset();
    }

    // A settings module whose home page is `url`.
    std::unique_ptr<TVktModule> Module(const std::string& url)
    {
        platform::SettingsKey key(platform::SettingsScope::User, kProductKey);
        key.WriteString("HomePage", url);
        key.Flush();
        return std::make_unique<TVktModule>();
    }
    static std::string Read(const std::string& key, const std::string& name)
    {
        return platform::SettingsKey(platform::SettingsScope::System, key).ReadString(name);
    }
    static void Write(const std::string& key, const std::map<std::string, std::string>& values)
    {
        platform::SettingsKey settings(platform::SettingsScope::System, key);
        for (const auto& [name, value] : values) settings.WriteString(name, value);
        settings.Flush();
    }
    // Runs one check to its end; false when it never ended.
    static bool Check(TVktModule& module, bool* succeeded = nullptr)
    {
        bool ended = false;
        module.StartUpdateCheck(false, [&](THTTPThread* sender) {
            ended = true;
            if (succeeded) *succeeded = sender->GetSucceeded();
        });
        return WaitFor([&] { return ended; });
    }

    std::vector<std::string> saved_;
};

const std::string kEdition = "Quillore\\Vektara 2005";

TEST_F(UpdateCheckTest, ParseRules)
{
    struct Case {
        const char* what;
        std::map<std::string, std::string> product, edition;   // stored before
        std::string file;
        bool news;
        std::map<std::string, std::string> productAfter, editionAfter;
    };
    const std::string full = "[Quillore\\Vektara]\r\nHomePageDate=2024/03/01\r\nLastUpdate=2024/02/01\r\n"
                             "HomePage=http://new.example/\r\nCgi=\r\nMail=m@new.example\r\n"
                             "[Quillore\\Vektara 2005]\r\nLastUpdate=2024/02/15\r\nFileVersion=9.1.2.3\r\n";
    const Case cases[] = {
        {"nothing stored", {}, {}, full, true,
         {{"HomePageDate", "2024/03/01"}, {"LastUpdate", "2024/02/01"}, {"Mail", "m@new.example"}, {"Cgi", ""}},
         {{"LastUpdate", "2024/02/15"}, {"InternetFileVersion", "9.1.2.3"}}},
        {"equal dates", {{"HomePageDate", "2024/03/01"}, {"LastUpdate", "2024/02/01"}}, {{"LastUpdate", "2024/02/15"}},
         full, false, {{"Mail", ""}}, {{"InternetFileVersion", ""}}},
        {"only the product's LastUpdate is newer",
         {{"HomePageDate", "2024/03/01"}, {"LastUpdate", "2024/01/31"}}, {{"LastUpdate", "2024/02/15"}}, full, false,
         {{"LastUpdate", "2024/02/01"}, {"HomePage", "http://new.example/"}, {"Cgi", ""}},
         {{"InternetFileVersion", ""}}},
        {"blank lines, LF ends, other cases", {}, {},
         "\n[QUILLORE\\vektara]\n\nhomepagedate=2024-03-01\n\n[Other]\nLastUpdate=2030/01/01\n", true,
         {{"HomePageDate", "2024-03-01"}, {"LastUpdate", ""}}, {{"LastUpdate", ""}}},
        {"an unreadable date in the file is not new, the parse goes on", {}, {},
         "[Quillore\\Vektara]\r\nHomePageDate=2024/13/45\r\nLastUpdate=\r\n"
         "[Quillore\\Vektara 2005]\r\nLastUpdate=2024/02/15\r\n",
         true, {{"HomePageDate", ""}, {"LastUpdate", ""}}, {{"LastUpdate", "2024/02/15"}}},
        {"an unreadable stored date counts as absent", {{"HomePageDate", "soon"}}, {}, full, true,
         {{"HomePageDate", "2024/03/01"}}, {}},
        {"a later stored date wins", {{"HomePageDate", "2025/01/01"}, {"LastUpdate", "2025/01/01"}},
         {{"LastUpdate", "2025/01/01"}}, full, false, {{"HomePageDate", "2025/01/01"}}, {{"LastUpdate", "2025/01/01"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Write(kProductKey, c.product);
        Write(kEdition, c.edition);
        TVktModule module;
        module.ParseUpdateFile(nullptr, c.file, true);
        EXPECT_EQ(module.GetNewsFound(), c.news);
        for (const auto& [name, value] : c.productAfter) EXPECT_EQ(Read(kProductKey, name), value) << name;
        for (const auto& [name, value] : c.editionAfter) EXPECT_EQ(Read(kEdition, name), value) << name;
    }
}

TEST_F(UpdateCheckTest, VersionRule)
{
    TVktModule module;
    ASSERT_EQ(module.GetRegistrySubKey(), kEdition);
    EXPECT_FALSE(module.IsNewerVersion());   // nothing published
    int own[4] = {};
    ASSERT_EQ(std::sscanf(module.GetFileVersion().c_str(), "%d.%d.%d.%d", &own[0], &own[1], &own[2], &own[3]), 4);
    const auto text = [](int a, int b, int c, int d) {
        return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) + "." + std::to_string(d);
    };
    const std::pair<std::string, bool> cases[] = {
        {text(own[0], own[1], own[2], own[3]), false},
        {text(own[0], own[1], own[2], own[3] + 1), true},
        {text(own[0], own[1], own[2] + 1, 0), true},
        {text(own[0], own[1] + 1, 0, 0), true},
        {text(own[0] + 1, 0, 0, 0), true},
        {text(own[0] + 1, 0, 0, 0) + ".7", false},   // malformed: not newer
        {"9.x.0.0", false},
        {"9.9.9", false},
        {"", false},
    };
    for (const auto& [published, newer] : cases) {
        Write(kEdition, {{"InternetFileVersion", published}});
        EXPECT_EQ(module.IsNewerVersion(), newer) << published;
    }
    for (int i = 0; i < 4; ++i) {
        if (own[i] == 0) continue;
        int lower[4] = {own[0], own[1], own[2], own[3]};
        --lower[i];
        for (int j = i + 1; j < 4; ++j) lower[j] += 50;   // a lower part wins over higher later ones
        Write(kEdition, {{"InternetFileVersion", text(lower[0], lower[1], lower[2], lower[3])}});
        EXPECT_FALSE(module.IsNewerVersion()) << i;
    }
}

TEST_F(UpdateCheckTest, FetchRequestAndShiftJisBody)
{
    std::string body = platform::Utf8ToSjis("[Quillore\\Vektara]\r\nCgi=更新情報\r\n");
    body += std::string("Note=a\0b\r\n", 10);   // a zero byte does not cut the body
    body += "LastUpdate=2024/02/01\r\n";
    for (bool withLength : {true, false}) {
        SCOPED_TRACE(withLength);
        SetUp();
        HttpServer server(Response(200, body, withLength));
        auto module = Module(server.Url());
        bool complete = true;
        bool ended = false;
        auto* thread = new THTTPThread("VktFindUpdate");
        thread->SetURL(server.Url() + "vktupdatefile.txt");
        thread->OnComplete = [&](THTTPThread* sender, const std::string& text, bool whole) {
            complete = whole;
            EXPECT_TRUE(sender->GetSucceeded());
            EXPECT_EQ(sender->GetReceived(), static_cast<long long>(body.size()));
            module->ParseUpdateFile(sender, text, whole);
        };
        thread->OnTerminate = [&](THTTPThread*) { ended = true; };
        thread->Start();
        ASSERT_TRUE(WaitFor([&] { return ended; }));
        EXPECT_EQ(complete, withLength);
        EXPECT_EQ(Read(kProductKey, "Cgi"), "更新情報");
        EXPECT_EQ(Read(kProductKey, "LastUpdate"), "2024/02/01");

        ASSERT_EQ(server.requests.size(), 1u);
        const std::string& request = server.requests[0];
        EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /vkt/vktupdatefile.txt HTTP/1.1");
        EXPECT_NE(request.find("\r\nUser-Agent: VktFindUpdate\r\n"), std::string::npos) << request;
    }
}

TEST_F(UpdateCheckTest, FailedFetchesWriteNothing)
{
    HttpServer notFound(Response(404, "[Quillore\\Vektara]\r\nHomePageDate=2024/03/01\r\n"));
    const std::string urls[] = {notFound.Url(), RefusingUrl()};
    for (const std::string& url : urls) {
        auto module = Module(url);
        bool succeeded = true;
        ASSERT_TRUE(Check(*module, &succeeded));
        EXPECT_FALSE(succeeded);
        EXPECT_FALSE(module->GetNewsFound());
        EXPECT_EQ(Read(kProductKey, "HomePageDate"), "");
    }
    EXPECT_EQ(notFound.requests.size(), 1u);
}

TEST_F(UpdateCheckTest, OverlappingChecksBothComplete)
{
    HttpServer server(Response(200, "[Quillore\\Vektara 2005]\r\nLastUpdate=2024/02/15\r\nFileVersion=99.0.0.0\r\n"));
    auto module = Module(server.Url());
    int ended = 0;
    module->StartUpdateCheck(true, [&](THTTPThread*) { ++ended; });
    module->StartUpdateCheck(false, [&](THTTPThread*) { ++ended; });
    ASSERT_TRUE(WaitFor([&] { return ended == 2; }));
    EXPECT_EQ(server.requests.size(), 2u);
    EXPECT_TRUE(module->GetNewsFound());
    EXPECT_TRUE(module->IsNewerVersion());
}

TEST_F(UpdateCheckTest, ManualDialogOutcomes)
{
    HttpServer latest(Response(200, "[Quillore\\Vektara]\r\nHomePageDate=2024/03/01\r\n"));
    HttpServer newer(Response(200, "[Quillore\\Vektara 2005]\r\nLastUpdate=2024/02/15\r\nFileVersion=99.0.0.0\r\n"));
    HttpServer stalled({}, true);
    THTTPThread::SetDefaultTimeout(300);
    const std::pair<std::string, const char*> cases[] = {
        {latest.Url(), "お使いのVektaraは最新版です。"},
        {newer.Url(), "ホームページで最新版が公開されています。"},
        {RefusingUrl(), "更新情報を確認できませんでした。"},
        {stalled.Url(), "更新情報を確認できませんでした。"},
    };
    for (const auto& [url, text] : cases) {
        SCOPED_TRACE(url);
        auto module = Module(url);
        TInternetCheckDialog dialog(module.get());
        EXPECT_EQ(dialog.size(), QSize(369, 97));
        EXPECT_EQ(dialog.windowTitle().toStdString(), "アップデート検索");
        dialog.show();
        EXPECT_EQ(dialog.GetLabel()->text().toStdString(), "インターネット上のファイルを調べています...");
        EXPECT_FALSE(dialog.GetBtnClose()->isEnabled());
        EXPECT_TRUE(dialog.GetTimer()->isActive());
        ASSERT_TRUE(WaitFor([&] { return dialog.GetBtnClose()->isEnabled(); }));
        EXPECT_EQ(dialog.focusWidget(), dialog.GetBtnClose()) << "Enter and Space close";
        EXPECT_EQ(dialog.GetLabel()->text().toStdString(), text);
        EXPECT_FALSE(dialog.GetTimer()->isActive());
        const bool failed = std::string(text).find("できません") != std::string::npos;
        EXPECT_EQ(dialog.GetProgressBar()->value(), failed ? 0 : 300);
        dialog.GetBtnClose()->click();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(vkttest::Scripted().messages.empty());   // the dialog's outcome is its label

    // The bar steps by 10 and wraps past its maximum.
    auto module = Module(stalled.Url());
    TInternetCheckDialog dialog(module.get());
    for (const auto& [from, to] : {std::pair{0, 10}, {290, 300}, {300, 0}}) {
        dialog.GetProgressBar()->setValue(from);
        dialog.TimerTick();
        EXPECT_EQ(dialog.GetProgressBar()->value(), to);
    }
}

TEST_F(UpdateCheckTest, EarlierShowingLeavesALaterOneAlone)
{
    HttpServer stalled({}, true);
    auto module = Module(stalled.Url());
    THTTPThread::SetDefaultTimeout(300);
    TInternetCheckDialog dialog(module.get());
    dialog.show();
    dialog.hide();
    THTTPThread::SetDefaultTimeout(2500);
    dialog.show();   // this showing's check stalls until its own time-out
    ASSERT_TRUE(WaitFor([&] { return stalled.requests.size() == 2; }));
    QTest::qWait(600);   // the first check has failed by now
    EXPECT_FALSE(dialog.GetBtnClose()->isEnabled());
    EXPECT_EQ(dialog.GetLabel()->text().toStdString(), "インターネット上のファイルを調べています...");
    // The later check ends by itself (a fetch left running at exit leaves Qt's network objects behind).
    EXPECT_TRUE(WaitFor([&] { return dialog.GetBtnClose()->isEnabled(); }));
    THTTPThread::SetDefaultTimeout(30000);
    dialog.hide();
}

TEST_F(UpdateCheckTest, NoticesThroughTheMessageService)
{
    TVktModule module;
    ShowUpdateNotice(&module);   // no news: silent
    EXPECT_TRUE(vkttest::Scripted().messages.empty());

    module.SetNewsFound(true);
    ShowUpdateNotice(&module);
    Write(kEdition, {{"InternetFileVersion", "99.0.0.0"}});
    ShowUpdateNotice(&module);
    const auto& messages = vkttest::Scripted().messages;
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "ホームページが更新されています。");
    EXPECT_EQ(messages[1].text, "ホームページでアップデートファイルが公開されています。");
    for (const auto& message : messages) {
        EXPECT_EQ(message.caption, module.GetProductName());
        EXPECT_EQ(message.icon, platform::MsgIcon::Information);
    }
}

// A fetch still under way when the loop ends is abandoned then, without its calls: it holds
// nothing up for the program's end.
TEST_F(UpdateCheckTest, AFetchUnderWayAtTheLoopsEndIsAbandoned)
{
    HttpServer stalled({}, true);
    QPointer<THTTPThread> fetch = new THTTPThread("VktFindUpdate");
    fetch->SetURL(stalled.Url() + "vktupdatefile.txt");
    bool called = false;
    fetch->OnComplete = [&](THTTPThread*, const std::string&, bool) { called = true; };
    fetch->OnTerminate = [&](THTTPThread*) { called = true; };
    fetch->Start();
    ASSERT_TRUE(WaitFor([&] { return !stalled.requests.empty(); }));
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    EXPECT_TRUE(fetch.isNull()) << "still waiting for its answer";
    QTest::qWait(20);
    EXPECT_FALSE(called);
}

} // namespace
