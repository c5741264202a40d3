#include "widgets/Uhttpthread.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "platform/Codec.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <utility>

namespace {

int& DefaultTimeout()
{
    static int ms = 30000;
    return ms;
}

// The system's proxy configuration for this manager only; the application's setting stays as it is.
class SystemProxies final : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
    {
        return systemProxyForQuery(query);
    }
};

} // namespace

THTTPThread::THTTPThread(const std::string& agent, QObject* parent)
    : QObject(parent), agent_(agent), timeoutMs_(DefaultTimeout())
{
}

THTTPThread::~THTTPThread() = default;

int THTTPThread::GetDefaultTimeout() { return DefaultTimeout(); }

void THTTPThread::SetDefaultTimeout(int ms) { DefaultTimeout() = ms; }

void THTTPThread::Start()
{
    if (started_) return;
    started_ = true;
    result_.clear();
    contentLength_ = 0;
    received_ = 0;
    succeeded_ = false;

    auto* manager = new QNetworkAccessManager(this);
    manager_ = manager;
    manager->setProxyFactory(new SystemProxies);
    QNetworkRequest request(QUrl(platform::ToQString(url_)));
    request.setHeader(QNetworkRequest::UserAgentHeader, platform::ToQString(agent_));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(timeoutMs_);
    QNetworkReply* reply = manager->get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { ReplyFinished(reply); });
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { Abandon(); });
}

void THTTPThread::Abandon()
{
    if (!manager_) return;
    OnComplete = nullptr;
    OnTerminate = nullptr;
    // The manager takes its request and its connection thread with it.
    delete std::exchange(manager_, nullptr);
    delete this;
}

void THTTPThread::ReplyFinished(QNetworkReply* reply)
{
    if (!manager_) return;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::NoError && status == 200) {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        contentLength_ = length.isValid() ? length.toLongLong() : 0;
        const QByteArray body = reply->readAll();
        received_ = body.size();
        try {
            result_ = platform::SjisToUtf8(std::string_view(body.constData(), static_cast<std::size_t>(body.size())));
            succeeded_ = true;
        } catch (const platform::ConvertError&) {
            result_.clear();
        }
    }
    // A failing handler is reported once; the terminate step and the clean-up run all the same.
    platform::Guard([this] { DoComplete(); });
    if (OnTerminate) platform::Guard([this] { OnTerminate(this); });
    manager_ = nullptr;   // done: nothing left to abandon
    deleteLater();
}

void THTTPThread::DoComplete()
{
    if (OnComplete) OnComplete(this, result_, succeeded_ && contentLength_ == received_);
}
