#include "shell/Fsplash.h"

#include "gui/QtSupport.h"
#include "widgets/Fvktform.h"
#include "widgets/Mvktmodule.h"

#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>

#include <functional>
#include <future>
#include <system_error>

// The pictures live in the shell library's resources, which a static library registers itself.
static void InitShellResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(shell);
        return true;
    }();
    (void)done;
}

namespace {

constexpr const char* kStartPicture = ":/pictures/splash.png";
constexpr int kWidth = 480;
constexpr int kHeight = 360;
constexpr int kShapePen = 5;

// The picture; a left click released over it is reported.
class ClickImage : public QLabel {
public:
    ClickImage(QWidget* parent, std::function<void()> onClick) : QLabel(parent), onClick_(std::move(onClick)) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) onClick_();
    }

private:
    std::function<void()> onClick_;
};

// A white rectangle framed by a black pen kept inside the box.
class FrameShape : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QPen pen(Qt::black, kShapePen);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::white);
        const int inset = kShapePen / 2;
        painter.drawRect(QRect(0, 0, width(), height()).adjusted(inset, inset, -inset - 1, -inset - 1));
    }
};

std::future<QImage>& PrefetchedStartPicture()
{
    static std::future<QImage> picture;
    return picture;
}

// The About text: the product and its version, the request for fault reports, then the product's
// and the maker's name, home page and mail address.
std::string AboutText(const TVktModule& module)
{
    const std::string& product = module.GetProductName();
    std::string text = product + " " + module.GetFileVersion() + "\n\n";
    text += "再現できる不具合はメールでお知らせください。\n";
    text += "不具合の情報と対処方法はホームページで公開しています。\n\n";
    for (const std::string& name : {product, std::string("Quillore")})
        text += name + "\n" + module.GetHomePage() + "\n" + module.GetMail() + "\n";
    text.pop_back();
    return text;
}

} // namespace

TSplash::TSplash(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    InitShellResources();
    setObjectName("Splash");
    setWindowTitle("Splash");
    setFont(VktFormFont());
    setFixedSize(kWidth, kHeight);

    image_ = new ClickImage(this, [this] { ImageClick(); });
    image_->setObjectName("Image");
    image_->setGeometry(0, 0, kWidth, kHeight);

    shape_ = new FrameShape(this);
    shape_->setObjectName("Shape");
    shape_->setGeometry(32, 64, 417, 225);

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo");
    memo_->setGeometry(40, 72, 401, 209);
    memo_->setFrameShape(QFrame::NoFrame);
    memo_->setReadOnly(true);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setPlainText(platform::ToQString(AboutText(*VktMdl())));

    SetScreenPlace(this, TScreenPlace::Center);
    SetMode(0);
}

void TSplash::SetMode(int mode)
{
    mode_ = mode;
    shape_->setVisible(mode != 0);
    memo_->setVisible(mode != 0);
}

void TSplash::SetImage(const QPixmap& picture) { image_->setPixmap(picture.copy()); }

QPixmap TSplash::StartPicture()
{
    InitShellResources();
    if (std::future<QImage>& prefetched = PrefetchedStartPicture(); prefetched.valid())
        return QPixmap::fromImage(prefetched.get());
    return QPixmap(kStartPicture);
}

void TSplash::PrefetchStartPicture()
{
    InitShellResources();
    std::future<QImage>& prefetched = PrefetchedStartPicture();
    if (prefetched.valid()) return;
    try {
        prefetched = std::async(std::launch::async, [] { return QImage(kStartPicture); });
    } catch (const std::system_error&) {
        // no thread: StartPicture reads the picture itself
    }
}

QPixmap TSplash::AboutPicture()
{
    InitShellResources();
    return QPixmap(":/pictures/about.png");
}

void TSplash::ImageClick()
{
    if (mode_ == 1) close();
}
