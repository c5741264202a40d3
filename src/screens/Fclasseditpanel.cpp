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

void PlaceReturnButtons(QWidget* panel, QFrame* bevel1, QPushButton* btnReturn, QFrame* bevel2, QPushButton* btnCancel)
{
    const int x = panel->width() - kButtonLeft;
    const int h = panel->height();
    bevel1->setGeometry(x, h - 84, kButtonWidth, 2);
    btnReturn->move(x, h - 68);
    bevel2->setGeometry(x, h - 44, kButtonWidth, 2);
    btnCancel->move(x, h - 28);
}

TClassEditPanel::TClassEditPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("ClassEditPanel"));
    setFont(VktFormFont());
    resize(420, 300);
    AddPanelLabel(this, "名称", 8, 8);
    nameEdit_ = AddNameEdit(this, "NameEdit", false);
    AddPanelLabel(this, "仏名", 8, 50);
    name2Edit_ = AddNameEdit(this, "Name2Edit", true);
    AddPanelLabel(this, "アイコン", 8, 88);
    iconGrid_ = new TIconGrid(this);
    btnNew_ = AddPanelButton(this, "BtnNew", "項目作成(&N)", 8);
    btnChildNew_ = AddPanelButton(this, "BtnChildNew", "下位項目作成(&C)", 34);
    btnDelete_ = AddPanelButton(this, "BtnDelete", "削除(&D)", 68);
    btnUp_ = AddPanelButton(this, "BtnUp", "上に移動(&T)", 102);
    btnDown_ = AddPanelButton(this, "BtnDown", "下に移動(&B)", 128);
    bevel1_ = AddPanelBevel(this, "Bevel1");
    btnReturn_ = AddPanelButton(this, "BtnReturn", "設定", 0);
    bevel2_ = AddPanelBevel(this, "Bevel2");
    btnCancel_ = AddPanelButton(this, "BtnCancel", "元に戻す", 0);

    for (TExView* edit : {nameEdit_, name2Edit_}) {
        edit->installEventFilter(this);
        edit->OnChange = [this](TExView* sender) { EditChange(sender); };
    }
    iconGrid_->installEventFilter(this);
    iconGrid_->OnSelect = [this](TIconGrid*) { IconGridSelectCell(); };
    connect(btnReturn_, &QPushButton::clicked, this, [this] { platform::Guard([this] { ApplyEdit(); }); });
    connect(btnCancel_, &QPushButton::clicked, this, [this] { platform::Guard([this] { CancelEdit(); }); });
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
void TClassEditPanel::SetName(const std::string& text) { SetEditText(nameEdit_, text); }
void TClassEditPanel::SetName2(const std::string& text) { SetEditText(name2Edit_, text); }

void TClassEditPanel::SetEditText(TExView* edit, const std::string& text)
{
    // A loaded value is the undo value of the part being edited.
    if (edit == activeEdit_) undoText_ = text;
    if (edit->GetText() == text) return;
    const platform::FlagScope scope(updating_);
    edit->SetText(text);
}

void TClassEditPanel::Load(const std::string& name, const std::string& name2, int icon)
{
    SetName(name);
    SetName2(name2);
    SetIcon(icon);
    undoIcon_ = icon;
    if (activeEdit_) undoText_ = activeEdit_->GetText();
    modified_ = false;
}

void TClassEditPanel::DoReturn()
{
    if (OnReturn) OnReturn(this);
}

void TClassEditPanel::ApplyEdit()
{
    modified_ = false;
    if (editPart_ == epIcon) undoIcon_ = GetIcon();
    else if (activeEdit_) undoText_ = activeEdit_->GetText();
    DoReturn();
}

void TClassEditPanel::CancelEdit()
{
    if (editPart_ == epIcon) {
        SetIcon(undoIcon_);
    } else if (activeEdit_) {
        {
            const platform::FlagScope scope(updating_);
            activeEdit_->SetText(undoText_);
        }
        activeEdit_->GetEditor()->SelectAll();
        activeEdit_->update();
    }
    modified_ = false;
}

void TClassEditPanel::EditEnter(TExView* edit)
{
    if (modified_) ApplyEdit();
    undoText_ = edit->GetText();
    activeEdit_ = edit;
    editPart_ = edit == nameEdit_ ? epName : epName2;
}

void TClassEditPanel::EditChange(TExView* edit)
{
    if (updating_ || edit != activeEdit_) return;
    modified_ = edit->GetText() != undoText_;
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
            else if (watched == nameEdit_ || watched == name2Edit_) EditEnter(static_cast<TExView*>(watched));
        });
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool taken = false;
        platform::Guard([&] {
            taken = RunEditKey(EditKeyOf(key->key(), key->modifiers()), [this] { CancelEdit(); }, [this] { ApplyEdit(); });
        });
        if (taken) return true;
    }
    return QFrame::eventFilter(watched, event);
}

void TClassEditPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const int w = std::max(40, width() - kEditMargin);
    nameEdit_->setGeometry(8, 24, w, kEditHeight);
    name2Edit_->setGeometry(8, 66, w, kEditHeight);
    iconGrid_->setGeometry(8, 104, w, std::max(32, height() - kGridShorter));
    for (QPushButton* b : {btnNew_, btnChildNew_, btnDelete_, btnUp_, btnDown_}) b->move(width() - kButtonLeft, b->y());
    PlaceReturnButtons(this, bevel1_, btnReturn_, bevel2_, btnCancel_);
}
