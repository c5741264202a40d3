#include "widgets/Ucupsprinter.h"

#include "platform/Errors.h"
#include "platform/Units.h"
#include "widgets/Mvktmodule.h"
#include "widgets/Upapernamelist.h"

#include <cups/cups.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

// No call to the server waits longer than these.
constexpr int kConnectMilliseconds = 5000;
constexpr double kReplySeconds = 15.0;
// Media whose sizes differ from a row of the paper table by at most this (1/100 mm) are that row.
constexpr int kSizeTolerance = 100;
constexpr int kDefaultResolution = 600;
// How long a job just sent is followed for its outcome, asked this often.
constexpr auto kJobWatch = std::chrono::seconds(5);
constexpr auto kJobPoll = std::chrono::milliseconds(100);

int MMToPixels(int hundredthsOfMM, int dpi)
{
    return static_cast<int>(static_cast<long long>(hundredthsOfMM) * dpi / platform::kHundredthMMPerInch);
}

std::string Queue(const std::string& name) { return "プリンタ「" + name + "」"; }

// One connection to the server (by default the one libcups is pointed at on this thread); empty
// when the server cannot be reached.
class TCupsConnection {
public:
    explicit TCupsConnection(const std::string& server = cupsServer())
        : http_(httpConnect2(server.c_str(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectMilliseconds,
                             nullptr))
    {
        if (http_) httpSetTimeout(http_, kReplySeconds, nullptr, nullptr);
    }
    ~TCupsConnection()
    {
        if (http_) httpClose(http_);
    }
    TCupsConnection(const TCupsConnection&) = delete;
    TCupsConnection& operator=(const TCupsConnection&) = delete;

    http_t* Get() const { return http_; }
    explicit operator bool() const { return http_ != nullptr; }

private:
    http_t* http_;
};

// A queue's destination record as the server describes it now; null when it has none.
struct TDestDeleter {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
using TDest = std::unique_ptr<cups_dest_t, TDestDeleter>;

TDest NamedDest(const TCupsConnection& http, const std::string& name)
{
    return TDest(cupsGetNamedDest(http.Get(), name.c_str(), nullptr));
}

// A request about the queue (and one of its jobs, when `job` is not 0) for these attributes.
template <std::size_t Count>
ipp_t* QueueRequest(ipp_op_t operation, const std::string& uri, int job, const char* const (&wanted)[Count])
{
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    if (job != 0) ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", Count, nullptr, wanted);
    return request;
}

// A text attribute of a response as a line after a message; empty when it has none.
std::string ReasonLine(ipp_t* response, const char* attribute)
{
    const char* text = ippGetString(ippFindAttribute(response, attribute, IPP_TAG_TEXT), 0, nullptr);
    return text && *text ? "\n" + std::string(text) : std::string();
}

// Raises the user's message when the queue cannot take a job now; gives the queue's URI.
std::string CheckQueue(const std::string& name, const std::string& server = cupsServer())
{
    TCupsConnection http(server);
    if (!http) throw platform::Error(Queue(name) + "の印刷サーバーに接続できません。\n" + cupsLastErrorString());
    const TDest dest = NamedDest(http, name);
    if (!dest) throw platform::Error(Queue(name) + "が見つかりません。\n" + cupsLastErrorString());
    const char* supported = cupsGetOption("printer-uri-supported", dest->num_options, dest->options);
    const std::string uri = supported ? supported : "ipp://localhost/printers/" + name;
    static const char* const wanted[] = {"printer-state", "printer-state-message", "printer-is-accepting-jobs"};
    ipp_t* response = cupsDoRequest(http.Get(), QueueRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, uri, 0, wanted), "/");
    if (!response || ippGetStatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
        ippDelete(response);
        throw platform::Error(Queue(name) + "の状態を読めません。\n" + cupsLastErrorString());
    }
    const int state = ippGetInteger(ippFindAttribute(response, "printer-state", IPP_TAG_ENUM), 0);
    const bool accepting = ippGetBoolean(ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN), 0);
    const std::string reason = ReasonLine(response, "printer-state-message");
    ippDelete(response);
    if (state == IPP_PSTATE_STOPPED) throw platform::Error(Queue(name) + "は停止しています。" + reason);
    if (!accepting) throw platform::Error(Queue(name) + "は印刷を受け付けていません。" + reason);
    return uri;
}

// Lets the window paint while a job is followed (its input waits: the job is sent).
void WaitPaintingWindow(std::chrono::milliseconds time)
{
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// Follows a job just sent until the server ends it or kJobWatch passes, and raises the user's
// message when the server stopped, cancelled or aborted it (a filter that fails on the file fails
// within moments). A job still waiting or printing then, or one the server no longer knows, is
// taken as printed. The window keeps painting meanwhile.
void WatchJob(const TCupsConnection& http, const std::string& name, const std::string& uri, int job)
{
    const auto deadline = std::chrono::steady_clock::now() + kJobWatch;
    static const char* const wanted[] = {"job-state", "job-printer-state-message"};
    for (;;) {
        ipp_t* response = cupsDoRequest(http.Get(), QueueRequest(IPP_OP_GET_JOB_ATTRIBUTES, uri, job, wanted), "/");
        const int state = ippGetInteger(ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0);
        const std::string reason = ReasonLine(response, "job-printer-state-message");
        ippDelete(response);
        if (state == IPP_JSTATE_STOPPED)
            throw platform::Error(Queue(name) + "で印刷が停止しました。" + reason);
        if (state == IPP_JSTATE_CANCELED)
            throw platform::Error(Queue(name) + "で印刷が取り消されました。" + reason);
        if (state == IPP_JSTATE_ABORTED)
            throw platform::Error(Queue(name) + "で印刷が中止されました。" + reason);
        if (state < IPP_JSTATE_PENDING || state == IPP_JSTATE_COMPLETED ||
            std::chrono::steady_clock::now() >= deadline)
            return;
        WaitPaintingWindow(kJobPoll);
    }
}

// A job drawn into a temporary PDF file and sent to the queue when it ends; the file goes in
// every outcome. It goes to the server the job began on: libcups names its server per thread, and
// a job may end on another thread (PaintAside.h).
class TCupsJob : public TPrinterJob {
public:
    TCupsJob(std::string queue, std::string title, std::string media, std::string file,
             std::unique_ptr<TPrinterJob> pdf)
        : server_(cupsServer()), queue_(std::move(queue)), title_(std::move(title)), media_(std::move(media)),
          file_(std::move(file)), pdf_(std::move(pdf))
    {
    }
    ~TCupsJob() override { RemoveFile(); }

    platform::Canvas& GetCanvas() override { return pdf_->GetCanvas(); }
    void NewPage() override { pdf_->NewPage(); }

    bool End() override
    {
        if (!pdf_->End()) {
            RemoveFile();
            return false;
        }
        try {
            Submit();
        } catch (...) {
            RemoveFile();
            throw;
        }
        RemoveFile();
        return true;
    }

    void Cancel() override
    {
        pdf_->Cancel();
        RemoveFile();
    }

private:
    void Submit() const
    {
        const std::string uri = CheckQueue(queue_, server_);
        TCupsConnection http(server_);
        if (!http) throw platform::Error(Queue(queue_) + "の印刷サーバーに接続できません。\n" + cupsLastErrorString());
        cups_option_t* options = nullptr;
        int count = 0;
        if (!media_.empty()) count = cupsAddOption("media", media_.c_str(), count, &options);
        const int id = cupsPrintFile2(http.Get(), queue_.c_str(), file_.c_str(), title_.c_str(), count, options);
        cupsFreeOptions(count, options);
        if (id == 0)
            throw platform::Error(Queue(queue_) + "が印刷を受け付けませんでした。\n" + cupsLastErrorString());
        WatchJob(http, queue_, uri, id);
    }

    void RemoveFile() const
    {
        std::error_code ignored;
        std::filesystem::remove(file_, ignored);
    }

    std::string server_;
    std::string queue_;
    std::string title_;
    std::string media_;
    std::string file_;
    std::unique_ptr<TPrinterJob> pdf_;
};

// A new empty file for a job's PDF.
std::string NewJobFile()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vektara-print-XXXXXX.pdf").string();
    const int fd = mkstemps(pattern.data(), 4);
    if (fd < 0) throw platform::FileError("一時ファイルを作成できません: " + pattern);
    ::close(fd);
    return pattern;
}

class TCupsPrinterDevice : public TPrinterDevice {
public:
    explicit TCupsPrinterDevice(std::string name) : name_(std::move(name)) {}

    std::string GetName() const override { return name_; }

    std::vector<TPrinterPaper> GetPapers() const override
    {
        Load();
        return papers_;
    }

    TPrinterDevMode GetDefaultDevMode() const override
    {
        Load();
        TPrinterDevMode mode;
        if (!papers_.empty()) mode.PaperSize = defaultPaper_;
        return mode;
    }

    int GetResolution() const override
    {
        Load();
        return resolution_;
    }

    platform::Rect GetPrintableRect(const TPrinterDevMode& mode) const override
    {
        Load();
        const platform::Point paper = GetPaperSize(mode);
        const auto found = media_.find(mode.PaperSize);
        if (found == media_.end()) return {0, 0, paper.X, paper.Y};
        const TMedium& m = found->second;
        int left = m.Left, top = m.Top, right = m.Right, bottom = m.Bottom;
        // Landscape turns the sheet a quarter clockwise: its left edge becomes the top.
        if (mode.Orientation == kLandscape) {
            left = m.Bottom;
            top = m.Left;
            right = m.Top;
            bottom = m.Right;
        }
        const int dpi = resolution_;
        return {MMToPixels(left, dpi), MMToPixels(top, dpi), paper.X - MMToPixels(right, dpi),
                paper.Y - MMToPixels(bottom, dpi)};
    }

    std::unique_ptr<TPrinterJob> BeginJob(const std::string& title, const TPrinterDevMode& mode) override
    {
        CheckQueue(name_);
        Load();
        platform::Point mm = PaperSizeMM(mode);
        if (mode.Orientation == kLandscape) std::swap(mm.X, mm.Y);
        const platform::Rect area = GetPrintableRect(mode);
        const auto found = media_.find(mode.PaperSize);
        const std::string media = found == media_.end() ? std::string() : found->second.Keyword;
        const std::string name = title.empty() ? VktMdl()->GetProductName() : title;
        const std::string file = NewJobFile();
        std::unique_ptr<TPrinterJob> pdf;
        try {
            pdf = MakePdfFileJob(file, name, mm, resolution_, mode.Copies, {area.Left, area.Top});
        } catch (...) {
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
            throw;
        }
        return std::make_unique<TCupsJob>(name_, name, media, file, std::move(pdf));
    }

private:
    // A medium as the server names it, with its margins in 1/100 mm.
    struct TMedium {
        std::string Keyword;
        int Left = 0;
        int Top = 0;
        int Right = 0;
        int Bottom = 0;
    };

    // Reads the queue's media, default medium and resolution once.
    void Load() const
    {
        if (loaded_) return;
        loaded_ = true;
        TCupsConnection http;
        if (!http) return;
        const TDest dest = NamedDest(http, name_);
        if (!dest) return;
        cups_dinfo_t* info = cupsCopyDestInfo(http.Get(), dest.get());
        if (!info) return;
        if (ipp_attribute_t* supported = cupsFindDestSupported(http.Get(), dest.get(), info, CUPS_MEDIA)) {
            for (int i = 0; i < ippGetCount(supported); ++i)
                if (const char* keyword = ippGetString(supported, i, nullptr))
                    AddMedium(http, dest.get(), info, keyword);
        }
        if (ipp_attribute_t* media = cupsFindDestDefault(http.Get(), dest.get(), info, CUPS_MEDIA)) {
            const char* keyword = ippGetString(media, 0, nullptr);
            for (const auto& [id, medium] : media_)
                if (keyword && medium.Keyword == keyword) defaultPaper_ = id;
        }
        if (!papers_.empty() && media_.count(defaultPaper_) == 0) defaultPaper_ = papers_.front().ID;
        if (ipp_attribute_t* resolution = cupsFindDestDefault(http.Get(), dest.get(), info, "printer-resolution")) {
            int y = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            const int x = ippGetResolution(resolution, 0, &y, &units);
            const int dpi = units == IPP_RES_PER_CM ? x * 254 / 100 : x;
            if (dpi >= 72 && dpi <= 2400) resolution_ = dpi;
        }
        cupsFreeDestInfo(info);
    }

    void AddMedium(const TCupsConnection& http, cups_dest_t* dest, cups_dinfo_t* info, const char* keyword) const
    {
        cups_size_t size{};
        if (!cupsGetDestMediaByName(http.Get(), dest, info, keyword, CUPS_MEDIA_FLAGS_DEFAULT, &size) ||
            size.width <= 0 || size.length <= 0)
            return;
        int id = 0;
        std::string name;
        for (const TPaperName& row : PaperNames()) {
            if (row.ID == kUserPaperID || media_.count(row.ID) != 0) continue;
            if (std::abs(row.Width - size.width) <= kSizeTolerance &&
                std::abs(row.Height - size.length) <= kSizeTolerance) {
                id = row.ID;
                name = row.Name;
                break;
            }
        }
        if (id == 0) {
            id = nextOwnID_++;
            const char* text = cupsLocalizeDestMedia(http.Get(), dest, info, CUPS_MEDIA_FLAGS_DEFAULT, &size);
            name = text && *text ? text : keyword;
        }
        media_[id] = {keyword, size.left, size.top, size.right, size.bottom};
        papers_.push_back({id, name, size.width, size.length});
    }

    std::string name_;
    mutable bool loaded_ = false;
    mutable std::vector<TPrinterPaper> papers_;
    mutable std::map<int, TMedium> media_;
    mutable int defaultPaper_ = kA4PaperID;
    mutable int nextOwnID_ = kUserPaperID + 1;
    mutable int resolution_ = kDefaultResolution;
};

} // namespace

std::vector<std::unique_ptr<TPrinterDevice>> CupsPrinterDevices(int& defaultIndex)
{
    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    defaultIndex = -1;
    TCupsConnection http;
    if (!http) return devices;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(http.Get(), &dests);
    std::string defaultName;
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        if (dest.is_default) defaultName = dest.name;
        if (dest.instance) continue;   // the user's option sets of a queue
        devices.push_back(std::make_unique<TCupsPrinterDevice>(dest.name));
    }
    cupsFreeDests(count, dests);
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (!defaultName.empty() && devices[i]->GetName() == defaultName) defaultIndex = static_cast<int>(i);
    return devices;
}
