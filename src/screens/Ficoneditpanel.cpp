#include "screens/Ficoneditpanel.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/ImageList.h"
#include "widgets/Fvktform.h"

#include <QImage>
#include <QImageWriter>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

constexpr int kButtonLeft = 129;
constexpr int kButtonWidth = 121;
constexpr int kButtonHeight = 22;
constexpr int kEditMargin = 153;

std::string LowerExtension(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = fileName.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

} // namespace

QPushButton* AddPanelButton(QWidget* parent, const char* name, const char* caption, int y)
{
    auto* button = new QPushButton(platform::ToQString(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(parent->width() - kButtonLeft, y, kButtonWidth, kButtonHeight);
    return button;
}

QFrame* AddPanelBevel(QWidget* parent, const char* name)
{
    auto* bevel = new QFrame(parent);
    bevel->setObjectName(QString::fromLatin1(name));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    return bevel;
}

// ===== TIconGrid =======================================================================================

TIconGrid::TIconGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("IconGrid"));
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(kCellSize);
    Rebuild();
}

void TIconGrid::SetImages(const platform::ImageList* images)
{
    icons_ = images ? platform::IconList::FromImageList(*images) : platform::IconList();
    Rebuild();
}

int TIconGrid::GetRowCount() const { return std::max(1, (GetIconCount() + cols_ - 1) / cols_); }

void TIconGrid::SetSelectedIndex(int index)
{
    const int old = selected_;
    selected_ = std::max(0, index);
    const QRect cell = CellRect(selected_);
    QScrollBar* bar = verticalScrollBar();
    const int top = cell.top() + bar->value();
    if (top < bar->value()) bar->setValue(top);
    else if (top + kCellSize > bar->value() + viewport()->height()) bar->setValue(top + kCellSize - viewport()->height());
    // The two cells whose look changed (a scroll repaints what it moved).
    if (selected_ != old) {
        viewport()->update(CellRect(old));
        viewport()->update(CellRect(selected_));
    }
}

QRect TIconGrid::CellRect(int index) const
{
    const int row = index / cols_;
    const int col = index % cols_;
    return {col * kCellSize, row * kCellSize - verticalScrollBar()->value(), kCellSize, kCellSize};
}

int TIconGrid::IconAt(QPoint point) const
{
    if (point.x() < 0 || point.y() < 0) return -1;
    const int col = point.x() / kCellSize;
    const int row = (point.y() + verticalScrollBar()->value()) / kCellSize;
    if (col >= cols_) return -1;
    const int index = row * cols_ + col;
    return index < GetIconCount() ? index : -1;
}

void TIconGrid::Rebuild()
{
    cols_ = std::max(1, viewport()->width() / kCellSize);
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(std::max(kCellSize, viewport()->height()));
    bar->setRange(0, std::max(0, GetRowCount() * kCellSize - viewport()->height()));
    viewport()->update();
}

void TIconGrid::Choose(int index)
{
    if (index < 0 || index >= GetIconCount()) return;
    SetSelectedIndex(index);
    if (OnSelect) OnSelect(this);
}

void TIconGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette& pal = palette();
    painter.fillRect(viewport()->rect(), pal.color(QPalette::Base));
    const int count = GetRowCount() * cols_;
    for (int index = 0; index < count; ++index) {
        const QRect cell = CellRect(index);
        if (cell.bottom() < 0 || cell.top() > viewport()->height()) continue;
        if (index == selected_)
            painter.fillRect(cell, pal.color(hasFocus() ? QPalette::Highlight : QPalette::Button));
        if (index < GetIconCount())
            painter.drawPixmap(cell.left() + kIconInset, cell.top() + kIconInset, icons_.Pixmap(index));
    }
}

void TIconGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    Rebuild();
    // The same icon stays selected (and in view) whatever the column count.
    SetSelectedIndex(selected_);
}

void TIconGrid::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) Choose(IconAt(event->position().toPoint()));
}

void TIconGrid::keyPressEvent(QKeyEvent* event)
{
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Left: step = -1; break;
    case Qt::Key_Right: step = 1; break;
    case Qt::Key_Up: step = -cols_; break;
    case Qt::Key_Down: step = cols_; break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    const int target = selected_ + step;
    if (target >= 0 && target < GetIconCount()) Choose(target);
}

void TIconGrid::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TIconGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// ===== TIconEditPanel ==================================================================================

const char* const TIconEditPanel::kSaveFilter =
    "すべてのファイル (*.bmp;*.ico)|*.bmp;*.ico|ビットマップ (*.bmp)|*.bmp|アイコン (*.ico)|*.ico";

TIconEditPanel::TIconEditPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("IconEditPanel"));
    setFont(VktFormFont());
    resize(420, 300);
    iconGrid_ = new TIconGrid(this);
    btnSave_ = AddPanelButton(this, "BtnSave", "保存(&S)", 8);
    btnLoad_ = AddPanelButton(this, "BtnLoad", "読み込み(&L)", 34);
    bevel_ = AddPanelBevel(this, "Bevel1");
    btnDelete_ = AddPanelButton(this, "BtnDelete", "削除(&D)", 76);
    connect(btnSave_, &QPushButton::clicked, this, [this] { platform::Guard([this] { BtnSaveClick(); }); });
}

void TIconEditPanel::SetImages(const platform::ImageList* images)
{
    images_ = images;
    iconGrid_->SetSelectedIndex(0);
    iconGrid_->SetImages(images);
}

void TIconEditPanel::RefreshImages()
{
    const int selected = iconGrid_->GetSelectedIndex();
    iconGrid_->SetImages(images_);
    iconGrid_->SetSelectedIndex(std::min(selected, std::max(0, iconGrid_->GetIconCount() - 1)));
}

bool TIconEditPanel::SaveIcon(const std::string& fileName) const
{
    const int index = GetSelectedIndex();
    if (!images_ || index < 0 || index >= images_->GetCount()) return false;
    const std::string ext = LowerExtension(fileName);
    if (ext == ".bmp") {
        platform::WriteFileAtomic(fileName, platform::EncodeBmp(images_->GetImage(index)));
        return true;
    }
    if (ext != ".ico") return false;
    // The grid's copy holds the icon with its mask as alpha.
    const QImage image = iconGrid_->GetIcons().Pixmap(index).toImage();
    QImageWriter writer(platform::ToQString(fileName), "ico");
    if (!writer.write(image))
        throw platform::FileError("ファイル " + fileName + " に書き込めません。");
    return true;
}

void TIconEditPanel::BtnSaveClick()
{
    const std::optional<std::string> name = platform::Services().SaveFile("", kSaveFilter, {}, "");
    if (name) SaveIcon(*name);
}

void TIconEditPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const int w = width();
    const int h = height();
    iconGrid_->setGeometry(8, 8, std::max(32, w - kEditMargin), std::max(32, h - 16));
    for (QPushButton* b : {btnSave_, btnLoad_, btnDelete_}) b->move(w - kButtonLeft, b->y());
    bevel_->setGeometry(w - kButtonLeft, 64, kButtonWidth, 2);
}
