#include "screens/Fclasseditpanel.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "platform/FlagScope.h"
#include "richtext/Exview.h"
#include "screens/Ficoneditpanel.h"
#include "screens/Fgridedit.h"
#include "screens/Uchartsupport.h"
#include "widgets/Fvktform.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kButtonLeft = 129;
constexpr int kButtonWidth = 121;
constexpr int kEditMargin = 153;
constexpr int kEditHeight = 22;
constexpr int kGridShorter = 112;

} // namespace

TExView* AddNameEdit(QWidget* parent, const char* name, bool french)
{
    auto* edit = new TExView(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->SetEditStyle(evsSingleEdit);
    if (french) {
        edit->SetEditOption(edit->GetEditOption() | EVOption(evoEuroText));
        edit->setFont(GridLatinFont(parent->font()));
    }
    edit->setFrameShape(QFrame::StyledPanel);
    return edit;
}

QLabel* AddPanelLabel(QWidget* parent, const char* caption, int x, int y)
{
    auto* label = new QLabel(platform::ToQString(caption), parent);
    label->move(x, y);
    return label;
}

// ===== TMasterEditPanel ================================================================================

TMasterEditPanel::TMasterEditPanel(QWidget* parent, const char* name) : QFrame(parent)
{
    setObjectName(QString::fromLatin1(name));
    setFont(VktFormFont());
    resize(420, 300);
}

void TMasterEditPanel::AddButtons(QWidget* host, const char* newCaption, const std::array<int, 4>& tops)
{
    btnNew_ = AddPanelButton(host, "BtnNew", newCaption, tops[0]);
    btnDelete_ = AddPanelButton(host, "BtnDelete", "削除(&D)", tops[1]);
    btnUp_ = AddPanelButton(host, "BtnUp", "上に移動(&T)", tops[2]);
    btnDown_ = AddPanelButton(host, "BtnDown", "下に移動(&B)", tops[3]);
    bevel1_ = AddPanelBevel(host, "Bevel1");
    btnReturn_ = AddPanelButton(host, "BtnReturn", "設定", 0);
    bevel2_ = AddPanelBevel(host, "Bevel2");
    btnCancel_ = AddPanelButton(host, "BtnCancel", "元に戻す", 0);
    connect(btnReturn_, &QPushButton::clicked, this, [this] { platform::Guard([this] { ApplyEdit(); }); });
    connect(btnCancel_, &QPushButton::clicked, this, [this] { platform::Guard([this] { CancelEdit(); }); });
}

void TMasterEditPanel::PlaceButtons(QWidget* host)
{
    if (!btnReturn_) return;   // not built yet
    const int x = host->width() - kButtonLeft;
    const int h = host->height();
    for (QPushButton* b : host->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) b->move(x, b->y());
    bevel1_->setGeometry(x, h - 84, kButtonWidth, 2);
    btnReturn_->move(x, h - 68);
    bevel2_->setGeometry(x, h - 44, kButtonWidth, 2);
    btnCancel_->move(x, h - 28);
}

void TMasterEditPanel::DoReturn()
{
    if (OnReturn) OnReturn(this);
}

bool TMasterEditPanel::EditKey(QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    bool taken = false;
    platform::Guard([&] {
        taken = RunEditKey(EditKeyOf(key->key(), key->modifiers()), [this] { CancelEdit(); }, [this] { ApplyEdit(); });
    });
    return taken;
}

void TMasterEditPanel::WatchTextEdit(TExView* edit)
{
    edit->installEventFilter(this);
    edit->OnChange = [this](TExView* sender) { ChangeText(sender); };
}

void TMasterEditPanel::EnterText(TExView* edit, int part)
{
    if (modified_) ApplyEdit();
    undoText_ = edit->GetText();
    activeEdit_ = edit;
    editPart_ = part;
}

void TMasterEditPanel::ChangeText(TExView* edit)
{
    if (updating_ || edit != activeEdit_) return;
    modified_ = edit->GetText() != undoText_;
}

void TMasterEditPanel::LoadText(TExView* edit, const std::string& text)
{
    // A loaded value is the undo value of the part being edited.
    if (edit == activeEdit_) undoText_ = text;
    if (edit->GetText() == text) return;
    const platform::FlagScope scope(updating_);
    edit->SetText(text);
}

void TMasterEditPanel::TakeText()
{
    modified_ = false;
    if (activeEdit_) undoText_ = activeEdit_->GetText();
}

void TMasterEditPanel::RestoreText()
{
    if (activeEdit_) {
        {
            const platform::FlagScope scope(updating_);
            activeEdit_->SetText(undoText_);
        }
        activeEdit_->GetEditor()->SelectAll();
        activeEdit_->update();
    }
    modified_ = false;
}

// ===== TClassEditPanel =================================================================================

TClassEditPanel::TClassEditPanel(QWidget* parent) : TMasterEditPanel(parent, "ClassEditPanel")
{
    QLabel* nameLabel = AddPanelLabel(this, "名称", 8, 8);
    nameEdit_ = AddNameEdit(this, "NameEdit", false);
    nameLabel->setBuddy(nameEdit_);
    QLabel* name2Label = AddPanelLabel(this, "仏名", 8, 50);
    name2Edit_ = AddNameEdit(this, "Name2Edit", true);
    name2Label->setBuddy(name2Edit_);
    AddPanelLabel(this, "アイコン", 8, 88);
    iconGrid_ = new TIconGrid(this);
    AddButtons(this, "項目作成(&N)", {8, 68, 102, 128});
    btnChildNew_ = AddPanelButton(this, "BtnChildNew", "下位項目作成(&C)", 34);
    setTabOrder(GetBtnNew(), btnChildNew_);   // the keys as the column reads: between 項目作成 and 削除
    WatchTextEdit(nameEdit_);
    WatchTextEdit(name2Edit_);
    iconGrid_->installEventFilter(this);
    iconGrid_->OnSelect = [this](TIconGrid*) { IconGridSelectCell(); };
}

void TClassEditPanel::SetImages(const platform::ImageList* images)
{
    const platform::FlagScope scope(updating_);
    iconGrid_->SetImages(images);
}

int TClassEditPanel::GetIcon() const { return iconGrid_->GetSelectedIndex(); }

void TClassEditPanel::SetIcon(int index)
{
    if (editPart_ == epIcon) undoIcon_ = index;
    const platform::FlagScope scope(updating_);
    iconGrid_->SetSelectedIndex(index);
}

std::string TClassEditPanel::GetName() const { return nameEdit_->GetText(); }
std::string TClassEditPanel::GetName2() const { return name2Edit_->GetText(); }
void TClassEditPanel::SetName(const std::string& text) { LoadText(nameEdit_, text); }
void TClassEditPanel::SetName2(const std::string& text) { LoadText(name2Edit_, text); }

void TClassEditPanel::Load(const std::string& name, const std::string& name2, int icon)
{
    SetName(name);
    SetName2(name2);
    SetIcon(icon);
    undoIcon_ = icon;
    TakeText();
}

void TClassEditPanel::ApplyEdit()
{
    TakeText();
    if (editPart_ == epIcon) undoIcon_ = GetIcon();
    DoReturn();
}

void TClassEditPanel::CancelEdit()
{
    if (editPart_ == epIcon) SetIcon(undoIcon_);
    RestoreText();
}

void TClassEditPanel::IconGridEnter()
{
    if (modified_) ApplyEdit();
    undoIcon_ = GetIcon();
    activeEdit_ = nullptr;
    editPart_ = epIcon;
}

void TClassEditPanel::IconGridSelectCell()
{
    if (updating_ || editPart_ != epIcon) return;
    modified_ = GetIcon() != undoIcon_;
}

bool TClassEditPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        platform::Guard([&] {
            if (watched == iconGrid_) IconGridEnter();
            else if (watched == nameEdit_) EnterText(nameEdit_, epName);
            else if (watched == name2Edit_) EnterText(name2Edit_, epName2);
        });
    } else if (EditKey(event)) {
        return true;
    }
    return TMasterEditPanel::eventFilter(watched, event);
}

void TClassEditPanel::resizeEvent(QResizeEvent* event)
{
    TMasterEditPanel::resizeEvent(event);
    const int w = std::max(40, width() - kEditMargin);
    nameEdit_->setGeometry(8, 24, w, kEditHeight);
    name2Edit_->setGeometry(8, 66, w, kEditHeight);
    iconGrid_->setGeometry(8, 104, w, std::max(32, height() - kGridShorter));
    PlaceButtons(this);
}
