#pragma once
// TGuiPanel: the base of the data panels that show one open database. It binds like its owner
// (TPanelOwner) and funnels every change request into at most one rebuild (DoUpdate) at a time
// when it is free to rebuild: Changed marks a rebuild pending, Flush runs it unless updates are
// locked (BeginUpdate / EndUpdate nest) or the panel or an owner above it is being destroyed.
// Every binding, unbinding included, ends with Changed, so DoUpdate must cope with no object.
//
// TVktDialog: the base of the batch and edit dialogs: OK, cancel, apply and help buttons at the
// bottom right, a bevel line with the product label above them, and a one-panel status line. The
// button row ends the Tab chain, after the controls the subclass builds, so the dialog opens with
// the focus on its first input.
#include "widgets/Fvktform.h"

#include <QFrame>

#include <vector>

class QLabel;
class QPushButton;

class TGuiPanel : public QFrame, public TPanelOwner {
    Q_OBJECT
public:
    // Registers with `owner`, or else with the nearest TPanelOwner up the Qt parent chain.
    explicit TGuiPanel(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TGuiPanel() override;

    // Binds the panel and its panels, then Changed. The close and release notices of the object
    // unbind it. An exception from AddRef or DoUpdate reaches the caller.
    void SetVktObject(TVktObject* obj);
    TVktObject* GetVktObject() const { return GetBound(); }
    TVktObjEvent& GetObjEvent() const { return GetSubscription(); }

    void BeginUpdate() { ++updateLock_; }
    // An EndUpdate without its BeginUpdate only flushes.
    void EndUpdate();
    void Changed();
    void Flush();
    bool GetUpdatePending() const { return updatePending_; }

    bool GetVisible() const { return !isHidden(); }
    // Shows or hides, then Flush.
    void SetVisible(bool visible);

protected:
    // Rebuilds the display from the bound object; called only by Flush.
    virtual void DoUpdate() {}
    // The frame, one rectangle of the paint region at a time.
    void paintEvent(QPaintEvent* event) override;

private:
    bool updatePending_ = false;
    int updateLock_ = 0;
};

class TVktDialog : public TVktForm {
    Q_OBJECT
public:
    explicit TVktDialog(QWidget* parent = nullptr);

    QLabel* GetAppLabel() const { return appLabel_; }
    QFrame* GetBevel() const { return bevel_; }
    QPushButton* GetBtnOk() const { return btnOk_; }
    QPushButton* GetBtnCancel() const { return btnCancel_; }
    QPushButton* GetBtnSetting() const { return btnSetting_; }
    QPushButton* GetBtnHelp() const { return btnHelp_; }
    // Panel 0 of the status bar, spanning it.
    QLabel* GetStatusPanel() const { return statusPanel_; }
    // The buttons that end the Tab chain, in the order the eye reads them; OK, キャンセル, 適用,
    // ヘルプ unless set.
    void SetButtonRow(std::vector<QWidget*> row) { buttonRow_ = std::move(row); }

protected:
    bool event(QEvent* event) override;

private:
    std::vector<QWidget*> buttonRow_;
    QFrame* bevel_ = nullptr;
    QLabel* appLabel_ = nullptr;
    QPushButton* btnHelp_ = nullptr;
    QPushButton* btnSetting_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QPushButton* btnOk_ = nullptr;
    QLabel* statusPanel_ = nullptr;
};
