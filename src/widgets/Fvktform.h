#pragma once
// TPanelOwner: the binding shared by forms and panels. An owner holds one open count of the bound
// database object (TVktObject::AddRef / Release) and one subscription record on it, and passes
// every binding on to the panels registered with it, in the order they registered. This list,
// not the Qt parent, is the ownership that binding follows: a panel moved under another Qt parent
// still follows its owner; Qt's parent still decides deletion.
//
// TVktForm: the base of the windows and dialogs that work on an open database. It is a QDialog,
// so one class serves modeless windows and modal dialogs (exec / done). The window is a client
// area (subclasses put their controls there) above the status bar. Its bounds and state are kept
// per user under the key VktApplication().GetRegistrySubPath() as the values objectName() +
// "Bound" (left,top,right,bottom; right and bottom excluded) and objectName() + "State" (1 when
// maximised), restored on every show by the program and stored once per close.
#include "data/Uvktobjevent.h"

#include <QDialog>
#include <QFont>

#include <functional>
#include <memory>
#include <vector>

class QStatusBar;
class TGuiPanel;
class TVktObject;

namespace platform {
class SettingsKey;
}

// The forms' font: "ＭＳ Ｐゴシック", 12 pixels.
QFont VktFormFont(bool bold = false);

// Where a window stands on its screen when it is first shown.
enum class TScreenPlace { Center, BottomRight };

// Places a top-level window in the available area of its screen (the primary screen when it has
// none yet), frame included: centred, or 10 pixels from the right and bottom edges; a window
// larger than the area is shrunk to it (down to its minimum size) and its top left kept inside.
// A window manager's frame may become known only after the window is shown: until it is (or for
// a second after the call), the window is placed again whenever its frame has grown or shrunk.
void SetScreenPlace(QWidget* window, TScreenPlace place);

class TPanelOwner {
public:
    TPanelOwner();
    // Panels still registered lose their owner.
    virtual ~TPanelOwner();
    TPanelOwner(const TPanelOwner&) = delete;
    TPanelOwner& operator=(const TPanelOwner&) = delete;

    // The registered panels, in registration order.
    const std::vector<TGuiPanel*>& GetPanels() const { return panels_; }
    // The owner this one is registered with; null for a form or a panel without owner.
    TPanelOwner* GetPanelOwner() const { return owner_; }
    // True from the start of this owner's destruction, or of any owner above it.
    bool GetDestroying() const;

protected:
    // Binding: nothing when obj is already bound (false). Otherwise the subscription leaves its
    // list; a bound object gets DoDetach, then Release; obj gets AddRef, then DoAttach, then the
    // subscription; last every registered panel is bound to obj (also when obj is null). An
    // exception from AddRef leaves this owner unbound; one from a panel reaches the caller after
    // the other panels are bound.
    bool Bind(TVktObject* obj);
    TVktObject* GetBound() const { return bound_; }
    TVktObjEvent& GetSubscription() const { return *subscription_; }

    // The bound object's close and release notices call `unbind`, which unbinds this owner.
    void UnbindOnNotice(const std::function<void()>& unbind);

    // Called right after an object was bound / right before the bound one is released.
    virtual void DoAttach() {}
    virtual void DoDetach() {}

    // Destructors do not reach overrides: a subclass whose DoDetach does work calls this and
    // unbinds first thing in its own destructor. Rebuilds stop from here on.
    void MarkDestroying() { destroying_ = true; }
    // Registers with an owner (null: none), leaving the earlier one.
    void SetPanelOwner(TPanelOwner* owner);

private:
    TVktObject* bound_ = nullptr;
    std::unique_ptr<TVktObjEvent> subscription_;
    std::vector<TGuiPanel*> panels_;
    TPanelOwner* owner_ = nullptr;
    bool destroying_ = false;
};

class TVktForm : public QDialog, public TPanelOwner {
    Q_OBJECT
public:
    explicit TVktForm(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    // Unbinds (without a subclass's DoDetach, see MarkDestroying).
    ~TVktForm() override;

    // Binds the form and its panels; the close and release notices of the object unbind them.
    void SetDataObject(TVktObject* obj) { Bind(obj); }
    TVktObject* GetDataObject() const { return GetBound(); }
    TVktObjEvent& GetEvents() const { return GetSubscription(); }

    QWidget* GetClient() const { return client_; }
    QStatusBar* GetStatusBar() const { return statusBar_; }

    // Reads "Bound" and "State" and then LoadLayout. A malformed value is ignored; a rectangle on
    // no screen is moved into the primary screen's available area.
    void RestoreBounds();
    // Maximised: State = 1, Bound kept; normal: Bound written, State deleted; minimised: neither.
    // Then SaveLayout.
    void StoreBounds();

    void setVisible(bool visible) override;
    void done(int result) override;

protected:
    // Form-specific values under the open layout key; empty in the base.
    virtual void LoadLayout(platform::SettingsKey& key);
    virtual void SaveLayout(platform::SettingsKey& key);

private:
    // The layout key; null when the application has no registry sub-path.
    std::unique_ptr<platform::SettingsKey> OpenLayoutKey() const;

    QWidget* client_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
};
