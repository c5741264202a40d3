#include "support/CupsServer.h"

#include <cups/cups.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vkttest {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kCupsd = "/usr/sbin/cupsd";
constexpr const char* kBackend = "/usr/lib/cups/backend/cups-pdf";
constexpr const char* kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd";
constexpr const char* kPdfConfFolder = "/etc/cups";
constexpr const char* kInstancePrefix = "cups-pdf-vkttest-";
constexpr const char* kRootPrefix = "vkt-cups-";

void Write(const fs::path& file, const std::string& text)
{
    std::ofstream out(file);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

fs::path Folder(const fs::path& path, mode_t mode = 0755)
{
    fs::create_directories(path);
    chmod(path.c_str(), mode);
    return path;
}

bool Accepts(const std::string& socketPath)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

// The last `count` lines of a file that `keep` accepts.
template <typename Keep>
std::string Tail(const fs::path& file, std::size_t count, Keep keep)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (keep(line)) lines.push_back(line);
    std::string text;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) text += lines[i] + "\n";
    return text;
}

// Removes what entries of `folder` named `prefix` and a process id hold for processes that ended
// without cleaning up (killed test processes).
void RemoveStale(const fs::path& folder, const char* prefix)
{
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0) continue;
        const long pid = std::strtol(name.c_str() + std::strlen(prefix), nullptr, 10);
        if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) fs::remove_all(entry.path(), error);
    }
}

} // namespace

CupsServer::CupsServer()
{
    try {
        if (!Start()) Stop();
    } catch (const std::exception& error) {
        failure_ = std::string("the CUPS server could not be set up: ") + error.what();
        Stop();
    }
}

CupsServer::~CupsServer() { Stop(); }

bool CupsServer::Start()
{
    if (geteuid() != 0) {
        failure_ = "cupsd and the cups-pdf backend must run as root, and this test does not";
        return false;
    }
    for (const char* file : {kCupsd, kBackend, kPpd})
        if (!fs::exists(file)) {
            failure_ = std::string(file) + " is missing (scripts/install-deps installs cups and printer-driver-cups-pdf)";
            return false;
        }
    RemoveStale(fs::temp_directory_path(), kRootPrefix);
    RemoveStale(kPdfConfFolder, kInstancePrefix);
    std::string pattern =
        (fs::temp_directory_path() / (kRootPrefix + std::to_string(getpid()) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
        failure_ = "cannot make a temporary folder for cupsd";
        return false;
    }
    root_ = pattern;
    // Filters run as lp: every folder on the way to the spool is open to it.
    const fs::path root = Folder(root_);
    const fs::path conf = Folder(root / "conf");
    Folder(conf / "ppd");
    Folder(conf / "ssl", 0700);
    Folder(root / "spool");
    Folder(root / "spool" / "tmp", 01777);
    Folder(root / "cache");
    Folder(root / "state");
    const fs::path log = Folder(root / "log");
    out_ = Folder(root / "out").string();
    const fs::path pdfSpool = Folder(root / "pdfspool");
    socket_ = (root / "cups.sock").string();

    Write(conf / "cupsd.conf", "LogLevel debug\n"
                               "MaxLogSize 0\n"
                               "Listen " + socket_ + "\n"
                               "Browsing Off\n"
                               "WebInterface No\n"
                               "DefaultAuthType None\n"
                               "DefaultPaperSize None\n"
                               "ErrorPolicy abort-job\n"
                               "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                               "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
    Write(conf / "cups-files.conf", "ServerRoot " + conf.string() + "\n"
                                    "ServerBin /usr/lib/cups\n"
                                    "DataDir /usr/share/cups\n"
                                    "DocumentRoot /usr/share/cups/doc-root\n"
                                    "RequestRoot " + (root / "spool").string() + "\n"
                                    "TempDir " + (root / "spool" / "tmp").string() + "\n"
                                    "CacheDir " + (root / "cache").string() + "\n"
                                    "StateDir " + (root / "state").string() + "\n"
                                    "ErrorLog " + (log / "error_log").string() + "\n"
                                    "AccessLog " + (log / "access_log").string() + "\n"
                                    "PageLog " + (log / "page_log").string() + "\n"
                                    "User lp\nGroup lp\nSystemGroup root\nFileDevice No\n");

    // The backend's own configuration, found by the instance name in the queue's device URI.
    static int instances = 0;
    const std::string instance = "vkttest-" + std::to_string(getpid()) + "-" + std::to_string(++instances);
    instanceConf_ = std::string(kPdfConfFolder) + "/cups-pdf-" + instance + ".conf";
    Write(instanceConf_, "Out " + out_ + "\n"
                         "AnonDirName " + out_ + "\n"
                         "Spool " + pdfSpool.string() + "\n"
                         "Log " + log.string() + "\n"
                         "LogType 7\nGrp root\nLabel 2\n");

    pid_ = fork();
    if (pid_ < 0) {
        failure_ = "cannot start cupsd: fork failed";
        return false;
    }
    if (pid_ == 0) {
        // cupsd ends with this process, also when it is killed.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        setsid();
        const int output = open((log / "cupsd.out").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (output >= 0) {
            dup2(output, STDOUT_FILENO);
            dup2(output, STDERR_FILENO);
        }
        execl(kCupsd, "cupsd", "-f", "-c", (conf / "cupsd.conf").c_str(), "-s", (conf / "cups-files.conf").c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!Accepts(socket_)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            failure_ = "cupsd ended at start:\n" + LogTail();
            return false;
        }
        if (Clock::now() > deadline) {
            failure_ = "cupsd did not listen within 20 s:\n" + LogTail();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    if (const char* old = std::getenv("CUPS_SERVER")) {
        hadServer_ = true;
        oldServer_ = old;
    }
    setenv("CUPS_SERVER", socket_.c_str(), 1);
    cupsSetServer(socket_.c_str());
    // The renderer Debian advises for cups-pdf queues: it keeps the text of the PDF it is sent.
    if (!Run(std::string("lpadmin -p ") + kQueue + " -E -v cups-pdf:/" + instance + " -P " + kPpd +
             " -o pdftops-renderer-default=pdftocairo")) {
        failure_ = "lpadmin could not add the cups-pdf queue:\n" + LogTail();
        return false;
    }
    return true;
}

void CupsServer::Stop()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                kill(-pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        pid_ = -1;
    }
    std::error_code ignored;
    if (!instanceConf_.empty()) fs::remove(instanceConf_, ignored);
    instanceConf_.clear();
    if (!socket_.empty()) {
        if (hadServer_)
            setenv("CUPS_SERVER", oldServer_.c_str(), 1);
        else
            unsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
        socket_.clear();
    }
    if (!root_.empty()) fs::remove_all(root_, ignored);
    root_.clear();
}

bool CupsServer::Run(const std::string& command) const
{
    const std::string logged = command + " >>'" + root_ + "/log/tools.out' 2>&1";
    return std::system(logged.c_str()) == 0;
}

int CupsServer::ActiveJobs() const
{
    http_t* http = httpConnect2(socket_.c_str(), ippPort(), nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 5000, nullptr);
    if (!http) return -1;
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(http, &jobs, kQueue, 0, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(count, jobs);
    httpClose(http);
    return count;
}

std::vector<std::string> CupsServer::WaitForOutput(std::size_t count, int seconds) const
{
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    std::vector<std::string> files;
    for (;;) {
        files.clear();
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(out_, error))
            if (entry.path().extension() == ".pdf") files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        if ((files.size() >= count && ActiveJobs() == 0) || Clock::now() > deadline) return files;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

std::string CupsServer::LogTail() const
{
    if (root_.empty()) return {};
    const fs::path log = fs::path(root_) / "log";
    std::ostringstream text;
    text << "-- cupsd\n" << Tail(log / "cupsd.out", 20, [](const std::string&) { return true; });
    text << "-- error_log\n" << Tail(log / "error_log", 40, [](const std::string& line) {
        return line.rfind("D ", 0) != 0 || line.find("[Job") != std::string::npos;
    });
    text << "-- tools\n" << Tail(log / "tools.out", 10, [](const std::string&) { return true; });
    text << "-- cups-pdf\n"
         << Tail(log / (std::string("cups-pdf-") + kQueue + "_log"), 20, [](const std::string&) { return true; });
    return text.str();
}

} // namespace vkttest
