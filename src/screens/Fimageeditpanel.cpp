#include "screens/Fimageeditpanel.h"

#include "gui/Services.h"
#include "screens/Uchartsupport.h"
#include "widgets/Imageview.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QVBoxLayout>

TImageEditPanel::TImageEditPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("ImageEditPanel"));
    resize(238, 142);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    imageView_ = new TImageView(this);
    imageView_->setObjectName(QStringLiteral("ImageView"));
    imageView_->SetShowFocus(true);
    imageView_->installEventFilter(this);
    imageView_->OnChange = [this](QObject*) { ImageViewChange(); };
    layout->addWidget(imageView_);
}

std::string TImageEditPanel::GetImage() const
{
    return imageView_->GetData();
}

void TImageEditPanel::SetImage(const std::string& bytes)
{
    imageView_->SetData(bytes);
    // A picture loaded while the view has the focus is what an edit starts from.
    undoData_ = bytes;
    ClearFlags();
    ModifiedChange();
}

bool TImageEditPanel::IsModified() const
{
    return dataChanged_ || horzMirrored_ || vertMirrored_ || rotatedLeft_ || rotatedRight_;
}

void TImageEditPanel::ClearFlags()
{
    dataChanged_ = horzMirrored_ = vertMirrored_ = rotatedLeft_ = rotatedRight_ = false;
}

void TImageEditPanel::ModifiedChange()
{
    if (OnModifiedChange) OnModifiedChange(this);
}

void TImageEditPanel::DoApply()
{
    if (OnApply) OnApply(this);
}

void TImageEditPanel::BeginEdit()
{
    if (IsModified()) return;
    imageView_->setFocus(Qt::OtherFocusReason);
    // The focus does not arrive while the window is inactive: the edit starts all the same.
    ImageEnter();
}

void TImageEditPanel::Clear()
{
    BeginEdit();
    imageView_->SetData({});
}

bool TImageEditPanel::LoadFromFile(const std::string& name)
{
    const platform::BusyCursor busy;
    BeginEdit();
    const std::string before = GetImage();
    imageView_->LoadFromFile(name);
    if (imageView_->HasPicture()) return true;
    // The view shows the failure and drops its picture: the record's picture stays.
    imageView_->SetData(before);
    return false;
}

void TImageEditPanel::PasteFromClipboard()
{
    const platform::BusyCursor busy;
    BeginEdit();
    imageView_->PasteFlomClipBoard();
}

void TImageEditPanel::SaveToFile(std::string& name)
{
    const platform::BusyCursor busy;
    imageView_->SaveToFile(name);
}

void TImageEditPanel::CopyToClipboard()
{
    const platform::BusyCursor busy;
    imageView_->CopyToClipBoard();
}

void TImageEditPanel::Rotate(int direction, bool& same, bool& opposite)
{
    const platform::BusyCursor busy;
    BeginEdit();
    imageView_->Rotate(direction);
    if (opposite) {
        opposite = false;
    } else if (same) {
        // Two quarter turns the same way are a half turn: both mirrorings.
        same = false;
        horzMirrored_ = !horzMirrored_;
        vertMirrored_ = !vertMirrored_;
    } else {
        same = true;
    }
    ModifiedChange();
}

void TImageEditPanel::RotateRight()
{
    Rotate(0, rotatedRight_, rotatedLeft_);
}

void TImageEditPanel::RotateLeft()
{
    Rotate(2, rotatedLeft_, rotatedRight_);
}

void TImageEditPanel::MirrorHorz()
{
    const platform::BusyCursor busy;
    BeginEdit();
    imageView_->Mirror(false);
    bool& flag = rotatedLeft_ || rotatedRight_ ? vertMirrored_ : horzMirrored_;
    flag = !flag;
    ModifiedChange();
}

void TImageEditPanel::MirrorVert()
{
    const platform::BusyCursor busy;
    BeginEdit();
    imageView_->Mirror(true);
    bool& flag = rotatedLeft_ || rotatedRight_ ? horzMirrored_ : vertMirrored_;
    flag = !flag;
    ModifiedChange();
}

void TImageEditPanel::ApplyEdit()
{
    if (!IsModified()) return;
    undoData_ = GetImage();
    ClearFlags();
    DoApply();
    ModifiedChange();
}

void TImageEditPanel::CancelEdit()
{
    if (!IsModified()) return;
    SetImage(undoData_);
}

void TImageEditPanel::ImageEnter()
{
    undoData_ = GetImage();
}

void TImageEditPanel::ImageExit()
{
    if (GetImage() != undoData_) ApplyEdit();
}

void TImageEditPanel::ImageViewChange()
{
    dataChanged_ = GetImage() != undoData_;
    ModifiedChange();
}

bool TImageEditPanel::ImageKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    return RunEditKey(EditKeyOf(key, modifiers), [this] { CancelEdit(); }, [this] { ApplyEdit(); });
}

namespace {

// A popup menu, or another window taking the activation (a file dialog, a message box), neither
// enters nor leaves the picture: the pending edit stays pending.
bool WindowSwitch(QEvent* event)
{
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
}

} // namespace

bool TImageEditPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == imageView_) {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (!WindowSwitch(event) && !IsModified()) ImageEnter();
            break;
        case QEvent::FocusOut:
            if (!WindowSwitch(event)) ImageExit();
            break;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (ImageKeyDown(key->key(), key->modifiers())) return true;
            break;
        }
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}
