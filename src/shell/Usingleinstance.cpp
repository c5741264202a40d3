#include "shell/Usingleinstance.h"

#include "gui/QtSupport.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>

#include <utility>

Q_LOGGING_CATEGORY(VktStartup, "vektara.startup", QtWarningMsg)

namespace {

constexpr char kInstanceName[] = "Quillore Vektara";
constexpr char kActivateWord[] = "activate";
constexpr std::size_t kMaxTokenLength = 1024;

// A token travels as the rest of one line: printable ASCII without blanks.
bool IsToken(const std::string& token)
{
    return !token.empty() && token.size() <= kMaxTokenLength
        && std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7f; });
}

} // namespace

std::string SingleInstanceFolder()
{
    std::string folder = platform::FromQString(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string SingleInstanceName() { return std::string(kInstanceName) + " " + SingleInstanceFolder(); }

std::string SingleInstanceSocketPath() { return SingleInstanceFolder() + "/" + kInstanceName; }

std::string StartActivationToken()
{
    const char* token = std::getenv("XDG_ACTIVATION_TOKEN");
    return token && IsToken(token) ? std::string(token) : std::string();
}

bool SendActivate(const std::string& socketPath, int timeoutMs, const std::string& token)
{
    QLocalSocket socket;
    socket.connectToServer(platform::ToQString(socketPath));
    if (!socket.waitForConnected(timeoutMs)) return false;
    std::string line = kActivateWord;
    if (IsToken(token)) line += " " + token;
    line += "\n";
    const auto length = static_cast<qint64>(line.size());
    if (socket.write(line.data(), length) != length || !socket.waitForBytesWritten(timeoutMs)) return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
    return true;
}

TSingleInstance::TSingleInstance(std::string name, std::string socketPath, QObject* parent)
    : QObject(parent),
      name_(name.empty() ? SingleInstanceName() : std::move(name)),
      socketPath_(socketPath.empty() ? SingleInstanceSocketPath() : std::move(socketPath))
{
}

TSingleInstance::~TSingleInstance() { Withdraw(); }

bool TSingleInstance::IsListening() const { return server_ && server_->isListening(); }

void TSingleInstance::HandOver(const std::string& socketPath)
{
    const std::string token = StartActivationToken();
    const bool sent = SendActivate(socketPath.empty() ? socketPath_ : socketPath, 1000, token);
    qCDebug(VktStartup, "handed over to the running instance (%s%s)", sent ? "activate sent" : "no connection",
            token.empty() ? "" : ", with an activation token");
}

bool TSingleInstance::Claim()
{
    if (claimed_) return true;
    if (CheckMapping(name_)) {
        HandOver(StringFromMapFile(name_));
        return false;
    }
    index_ = MappingString(name_, socketPath_);
    if (index_.IsValid() && !index_.Publisher) {   // another start published first
        UnmappingString(index_);
        HandOver(StringFromMapFile(name_));
        return false;
    }
    if (!index_.IsValid()) qCWarning(VktStartup, "the single-instance marker cannot be published");
    claimed_ = true;
    // Only the publisher removes a socket: one left by a crash, never a live winner's.
    const QString path = platform::ToQString(socketPath_);
    QLocalServer::removeServer(path);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::NewConnection);
    if (!server_->listen(path))
        qCWarning(VktStartup, "the single-instance socket cannot listen: %s", qPrintable(server_->errorString()));
    qCDebug(VktStartup, "claimed the single instance (%s)", qPrintable(path));
    return true;
}

void TSingleInstance::Withdraw()
{
    if (!claimed_) return;
    claimed_ = false;
    if (server_) {
        server_->close();
        delete std::exchange(server_, nullptr);
    }
    if (index_.IsValid()) UnmappingString(index_);
}

void TSingleInstance::NewConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        const auto readLines = [this, guarded = QPointer<QLocalSocket>(socket)] {
            while (guarded && guarded->canReadLine()) {
                const QByteArray line = guarded->readLine(kMaxTokenLength + 64).trimmed();
                const qsizetype blank = line.indexOf(' ');
                if (line.left(blank < 0 ? line.size() : blank) != kActivateWord) continue;
                std::string token = blank < 0 ? std::string() : line.mid(blank + 1).trimmed().toStdString();
                if (!IsToken(token)) token.clear();
                qCDebug(VktStartup, "activation received%s", token.empty() ? "" : " with a token");
                if (OnActivate) OnActivate(token);
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readLines);
        connect(socket, &QLocalSocket::disconnected, this, [socket, readLines] {
            readLines();   // a line that came with the hang-up
            socket->deleteLater();
        });
    }
}
