#pragma once
// The single-instance rule of one user session. The running instance publishes a shared-memory
// marker named "Quillore Vektara " + the user's runtime folder whose text is the path of its local
// socket, <runtime>/Quillore Vektara. A later start finds the marker, sends "activate\n" to that
// socket and ends; the running instance then raises its window. A start given an activation token
// by the desktop (XDG_ACTIVATION_TOKEN, Wayland's xdg-activation) sends "activate <token>\n": only
// with that token may the running instance bring its window forward there. A marker left by a crashed
// instance is stale: the next start takes it over and removes the dead socket before listening.
//
// Messages of the category "vektara.startup" (debug) trace the claim, the hand-over, the
// activation and the main window's first showing.
#include "core/Umapobject.h"

#include <QLoggingCategory>
#include <QObject>

#include <functional>
#include <string>

class QLocalServer;

Q_DECLARE_LOGGING_CATEGORY(VktStartup)

// The user's runtime folder (QStandardPaths::RuntimeLocation), no trailing '/'.
std::string SingleInstanceFolder();
// "Quillore Vektara " + the runtime folder.
std::string SingleInstanceName();
// The runtime folder + "/Quillore Vektara".
std::string SingleInstanceSocketPath();

// The activation token this process was started with (XDG_ACTIVATION_TOKEN); empty when none or
// when it is no token (blank, control characters or too long for one line).
std::string StartActivationToken();
// Sends "activate\n", or "activate <token>\n" with a token, to the socket; false when no connection
// was made within the timeout or the line could not be written.
bool SendActivate(const std::string& socketPath, int timeoutMs = 1000, const std::string& token = {});

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // `name` and `socketPath` default to SingleInstanceName() and SingleInstanceSocketPath().
    explicit TSingleInstance(std::string name = {}, std::string socketPath = {}, QObject* parent = nullptr);
    // Withdraws a claim still held.
    ~TSingleInstance() override;

    // True when this process is now the instance: the marker is published and the socket listens
    // (a marker or socket that cannot be made is logged and the start goes on without it). False
    // when another instance holds the marker or won the race to publish it: that one was asked to
    // activate (whether or not the connection succeeded) and this process should end.
    bool Claim();
    // Closes the socket and unpublishes the marker; nothing when not claimed.
    void Withdraw();

    bool IsClaimed() const { return claimed_; }
    bool IsListening() const;
    const std::string& GetName() const { return name_; }
    const std::string& GetSocketPath() const { return socketPath_; }

    // Run for each "activate" line received, with the token it carries (empty when none).
    std::function<void(const std::string& token)> OnActivate;

private:
    void HandOver(const std::string& socketPath);
    void NewConnection();

    std::string name_;
    std::string socketPath_;
    TMappingIndex index_;
    QLocalServer* server_ = nullptr;
    bool claimed_ = false;
};
