#pragma once
// A private CUPS server for one test: cupsd with its own configuration, spool, cache and log
// folders in a new temporary folder, listening on a socket file there, with one cups-pdf queue
// (kQueue, the package's PPD) that writes its PDF files into OutputFolder(). libcups and the
// command-line tools of this process are pointed at it (CUPS_SERVER) while the object lives.
//
// cupsd runs as root (the cups-pdf backend needs it); the backend reads its output folder from
// its own configuration file, /etc/cups/cups-pdf-<instance>.conf, which the server writes and
// removes. The destructor stops cupsd and points libcups back; a test process that is killed takes
// cupsd with it, and the next server removes the folders and files it left.
#include <string>
#include <sys/types.h>
#include <vector>

namespace vkttest {

class CupsServer {
public:
    static constexpr const char* kQueue = "vktpdf";

    // Starts the server and adds the queue; Failure() says why when it could not.
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    // Empty when the server runs with its queue; otherwise why not (for the test's skip).
    const std::string& Failure() const { return failure_; }
    const std::string& OutputFolder() const { return out_; }

    // Runs a CUPS tool of /usr/sbin or /usr/bin with these arguments against the server
    // ("cupsdisable vktpdf"); true when it succeeded.
    bool Run(const std::string& command) const;
    // The PDF files the queue wrote, sorted by name, once at least `count` exist and no job is
    // pending, or after `seconds`.
    std::vector<std::string> WaitForOutput(std::size_t count, int seconds = 90) const;
    // The ends of the server's and the backend's logs, for failure messages.
    std::string LogTail() const;

private:
    bool Start();
    void Stop();
    int ActiveJobs() const;

    std::string root_;
    std::string socket_;
    std::string out_;
    std::string instanceConf_;
    std::string failure_;
    std::string oldServer_;
    bool hadServer_ = false;
    pid_t pid_ = -1;
};

} // namespace vkttest
