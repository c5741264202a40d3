#include "widgets/Fvktform.h"

#include "data/Uvktobjevent.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "gui/QtSupport.h"
#include "gui/Settings.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "widgets/Fguipanel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
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

} // namespace

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
