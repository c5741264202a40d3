#pragma once
// THTTPThread: one fetch of a web file over HTTP for the update check. Despite its name it runs
// on the GUI thread: Start sends one GET through its own QNetworkAccessManager, and the event loop
// delivers the answer. Every fetch completes: OnComplete gets the body of a reply with status 200,
// decoded from code page 932, or an empty text for any failure (another status, a network error,
// the transfer timeout, a body that does not decode). OnTerminate follows, then the object
// deletes itself. A fetch still under way when the application's loop ends is abandoned then,
// without either call: its request, its network objects and the object itself go at once, so
// none of them holds up the program's end.
//
// The request: the given user agent, always from the network (no cache), the system's proxy
// configuration and Qt's default redirect policy.
#include <QObject>

#include <functional>
#include <string>

class QNetworkAccessManager;
class QNetworkReply;

class THTTPThread : public QObject {
    Q_OBJECT
public:
    explicit THTTPThread(const std::string& agent, QObject* parent = nullptr);
    ~THTTPThread() override;

    const std::string& GetAgent() const { return agent_; }
    const std::string& GetURL() const { return url_; }
    void SetURL(const std::string& url) { url_ = url; }
    // The decoded body of the last fetch; empty when it failed.
    const std::string& GetResult() const { return result_; }
    // The Content-Length of the reply, 0 when absent; the bytes of the body received.
    long long GetContentLength() const { return contentLength_; }
    long long GetReceived() const { return received_; }
    // True once a fetch completed with status 200 and a decodable body.
    bool GetSucceeded() const { return succeeded_; }

    // Milliseconds without progress after which the transfer is abandoned.
    int GetTimeout() const { return timeoutMs_; }
    void SetTimeout(int ms) { timeoutMs_ = ms; }
    // The timeout new fetches start with (30000 unless set).
    static int GetDefaultTimeout();
    static void SetDefaultTimeout(int ms);

    // Sends the request; a second call does nothing.
    void Start();

    // (sender, body, complete): complete is true when the body has the announced length.
    std::function<void(THTTPThread* sender, const std::string& result, bool complete)> OnComplete;
    // Runs after OnComplete, for every fetch.
    std::function<void(THTTPThread* sender)> OnTerminate;

protected:
    // Calls OnComplete.
    virtual void DoComplete();

private:
    void ReplyFinished(QNetworkReply* reply);
    void Abandon();

    std::string agent_;
    std::string url_;
    std::string result_;
    long long contentLength_ = 0;
    long long received_ = 0;
    bool succeeded_ = false;
    bool started_ = false;
    int timeoutMs_;
    QNetworkAccessManager* manager_ = nullptr;
};
