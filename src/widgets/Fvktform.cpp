#include "widgets/Fvktform.h"

#include "data/Uvktobjevent.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "gui/QtSupport.h"
#include "gui/Settings.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "widgets/Fguipanel.h"
#include "widgets/Uaccessible.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

namespace {

constexpr int kFormMinWidth = 208;

// "l,t,r,b" as a rectangle; nullopt unless it holds four integers with a size above 0.
std::optional<QRect> ParseBound(const std::string& text)
{
    const auto items = platform::SplitCommaText(text);
    if (items.size() < 4) return std::nullopt;
    int v[4];
    try {
        for (int i = 0; i < 4; ++i) v[i] = platform::StrToInt(items[static_cast<std::size_t>(i)]);
    } catch (const platform::ConvertError&) {
        return std::nullopt;
    }
    if (v[2] <= v[0] || v[3] <= v[1]) return std::nullopt;
    return QRect(v[0], v[1], v[2] - v[0], v[3] - v[1]);
}

// A rectangle on no screen moved (and shrunk when needed) into the primary screen's available area.
QRect OntoScreen(QRect rect)
{
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().intersects(rect)) return rect;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return rect;
    const QRect area = primary->availableGeometry();
    rect.setSize(rect.size().boundedTo(area.size()));
    rect.moveLeft(std::clamp(rect.left(), area.left(), area.left() + area.width() - rect.width()));
    rect.moveTop(std::clamp(rect.top(), area.top(), area.top() + area.height() - rect.height()));
    return rect;
}

constexpr int kScreenGap = 10;
constexpr int kPlaceWatchMs = 1000;
constexpr int kPlaceTickMs = 100;
// A window manager that frames windows may set the frame's extents late on a busy machine, seconds
// after the show: a window still without a frame is looked at this often until it has one.
constexpr int kPlaceFrameTickMs = 250;
constexpr const char* kPlacerName = "ScreenPlacer";

QRect AvailableArea(const QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// Moves the window to `place` with the frame known now, shrinking it first when its frame is
// larger than the area; the frame's size it was placed with.
QSize PlaceOnScreen(QWidget* window, TScreenPlace place)
{
    const QRect area = AvailableArea(window);
    if (area.isEmpty()) return window->frameGeometry().size();
    QRect frame = window->frameGeometry();
    if (frame.width() > area.width() || frame.height() > area.height()) {
        const QSize margins = frame.size() - window->size();
        const QSize fitted = window->size().boundedTo(area.size() - margins).expandedTo(window->minimumSize());
        if (fitted != window->size()) {
            window->resize(fitted);
            frame = window->frameGeometry();
        }
    }
    QPoint at;
    if (place == TScreenPlace::Center) {
        QRect centred(QPoint(), frame.size());
        centred.moveCenter(area.center());
        at = centred.topLeft();
    } else {
        at = QPoint(area.left() + area.width() - kScreenGap - frame.width(),
                    area.top() + area.height() - kScreenGap - frame.height());
    }
    // Wholly inside, and the top left first when even that cannot be.
    at.setX(std::max(std::min(at.x(), area.left() + area.width() - frame.width()), area.left()));
    at.setY(std::max(std::min(at.y(), area.top() + area.height() - frame.height()), area.top()));
    if (at != frame.topLeft()) window->move(at);   // a window's move() names its frame's top left
    return window->frameGeometry().size();
}

// Places a window again while its frame may still change: from the call until a while after the
// window is shown, on its geometry events and on a short tick, whenever the frame's size differs
// from the one it was placed with; a window still without a frame then is watched, for its frame
// only (a resize by the user stays), for as long as it is shown without one.
class TScreenPlacer final : public QObject {
public:
    TScreenPlacer(QWidget* window, TScreenPlace place) : QObject(window), window_(window), place_(place)
    {
        setObjectName(kPlacerName);
        framed_ = PlaceOnScreen(window_, place_);
        window_->installEventFilter(this);
        tick_ = new QTimer(this);
        tick_->setInterval(kPlaceTickMs);
        connect(tick_, &QTimer::timeout, this, [this] { Check(); });
        if (window_->isVisible()) StartWatch();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_) {
            switch (event->type()) {
            case QEvent::Hide: tick_->stop(); break;
            case QEvent::Show: StartWatch(); [[fallthrough]];
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowActivate: Schedule(); break;
            default: break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void StartWatch()
    {
        if (tick_->isActive()) return;
        tick_->start();
        QTimer::singleShot(kPlaceWatchMs, this, [this] {
            Check();
            if (Framed()) {
                deleteLater();
                return;
            }
            frameOnly_ = true;
            tick_->setInterval(kPlaceFrameTickMs);
        });
    }

    bool Framed() const { return window_->frameGeometry().size() != window_->size(); }

    // Looked at once the event is through: a move inside the show's own geometry events is lost.
    void Schedule()
    {
        if (scheduled_) return;
        scheduled_ = true;
        QTimer::singleShot(0, this, [this] {
            scheduled_ = false;
            Check();
        });
    }

    void Check()
    {
        if (!window_->isVisible() || window_->frameGeometry().size() == framed_) return;
        if (frameOnly_ && !Framed()) {
            framed_ = window_->frameGeometry().size();
            return;
        }
        framed_ = PlaceOnScreen(window_, place_);
        if (frameOnly_) deleteLater();
    }

    QWidget* window_;
    TScreenPlace place_;
    QSize framed_;
    QTimer* tick_ = nullptr;
    bool scheduled_ = false;
    bool frameOnly_ = false;
};

} // namespace

void SetScreenPlace(QWidget* window, TScreenPlace place)
{
    // A Wayland compositor places top-level windows itself; a client's move is not asked for.
    if (!window || QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return;
    for (QObject* old : window->findChildren<QObject*>(kPlacerName, Qt::FindDirectChildrenOnly)) delete old;
    new TScreenPlacer(window, place);
}

QFont VktFormFont(bool bold)
{
    QFont font(platform::ToQString("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    font.setBold(bold);
    return font;
}

// ===== TPanelOwner ====================================================================================

TPanelOwner::TPanelOwner() : subscription_(std::make_unique<TVktObjEvent>()) {}

TPanelOwner::~TPanelOwner()
{
    if (bound_) {   // a subclass that did not unbind: let go without hooks
        subscription_->Detach();
        std::exchange(bound_, nullptr)->Release();
    }
    for (TGuiPanel* panel : panels_) static_cast<TPanelOwner*>(panel)->owner_ = nullptr;
    SetPanelOwner(nullptr);
}

bool TPanelOwner::GetDestroying() const
{
    for (const TPanelOwner* owner = this; owner; owner = owner->owner_) {
        if (owner->destroying_) return true;
    }
    return false;
}

void TPanelOwner::SetPanelOwner(TPanelOwner* owner)
{
    if (owner_) std::erase_if(owner_->panels_, [this](TGuiPanel* p) { return static_cast<TPanelOwner*>(p) == this; });
    owner_ = owner;
    if (!owner_) return;
    if (auto* self = dynamic_cast<TGuiPanel*>(this)) owner_->panels_.push_back(self);
}

void TPanelOwner::UnbindOnNotice(const std::function<void()>& unbind)
{
    subscription_->OnClose = [unbind](TVktObject*) { unbind(); };
    subscription_->OnRelease = [unbind](TVktObject*) { unbind(); };
}

bool TPanelOwner::Bind(TVktObject* obj)
{
    if (obj == bound_) return false;
    subscription_->Detach();
    if (bound_) {
        DoDetach();
        std::exchange(bound_, nullptr)->Release();
    }
    if (obj) {
        obj->AddRef();
        bound_ = obj;
        struct Subscribe {   // also when DoAttach fails: the count taken is given back on close
            TVktObject* obj;
            TVktObjEvent* record;
            ~Subscribe() { obj->GetEvents().Add(record); }
        } subscribe{obj, subscription_.get()};
        DoAttach();
    }
    // Every panel follows even when one fails; the first failure then reaches the caller.
    std::exception_ptr failure;
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        try {
            panels_[i]->SetVktObject(obj);
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
    return true;
}

// ===== TVktForm =======================================================================================

TVktForm::TVktForm(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
    InstallAccessibility();
    setFont(VktFormFont());
    setMinimumWidth(kFormMinWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    client_ = new QWidget(this);
    client_->setObjectName("Client");
    layout->addWidget(client_, 1);
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName("StatusBar");
    layout->addWidget(statusBar_);
    UnbindOnNotice([this] { SetDataObject(nullptr); });
}

TVktForm::~TVktForm()
{
    MarkDestroying();
    SetDataObject(nullptr);
}

std::unique_ptr<platform::SettingsKey> TVktForm::OpenLayoutKey() const
{
    const std::string& path = VktApplication().GetRegistrySubPath();
    if (path.empty()) return nullptr;
    return std::make_unique<platform::SettingsKey>(platform::SettingsScope::User, path);
}

void TVktForm::RestoreBounds()
{
    const auto key = OpenLayoutKey();
    if (!key) return;
    const std::string name = platform::FromQString(objectName());
    if (const auto bound = ParseBound(key->ReadString(name + "Bound"))) setGeometry(OntoScreen(*bound));
    try {
        if (key->ValueExists(name + "State") && key->ReadInteger(name + "State") != 0)
            setWindowState(windowState() | Qt::WindowMaximized);
    } catch (const platform::ConvertError&) {
        // a State that is no integer is ignored
    }
    LoadLayout(*key);
}

void TVktForm::StoreBounds()
{
    const auto key = OpenLayoutKey();
    if (!key) return;
    const std::string name = platform::FromQString(objectName());
    if (isMinimized()) {
        // keeps the values of the last normal or maximised close
    } else if (isMaximized()) {
        key->WriteInteger(name + "State", 1);
    } else {
        const QRect r = geometry();
        key->WriteString(name + "Bound", platform::JoinCommaText({platform::IntToStr(r.left()), platform::IntToStr(r.top()),
                                                                  platform::IntToStr(r.left() + r.width()),
                                                                  platform::IntToStr(r.top() + r.height())}));
        key->DeleteValue(name + "State");
    }
    SaveLayout(*key);
}

void TVktForm::setVisible(bool visible)
{
    if (visible && !isVisible()) RestoreBounds();
    QDialog::setVisible(visible);
}

void TVktForm::done(int result)
{
    if (isVisible()) StoreBounds();
    QDialog::done(result);
}

void TVktForm::LoadLayout(platform::SettingsKey&) {}
void TVktForm::SaveLayout(platform::SettingsKey&) {}
