#include "reports/Fimageproperty.h"

#include "gui/Application.h"
#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "gui/TabFocus.h"
#include "layout/Uimagecontainer.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "widgets/Fupdownedit.h"
#include "widgets/Imageview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

TImageContainer* ImageOf(TContainer* container) { return dynamic_cast<TImageContainer*>(container); }

} // namespace

// The tools' glyphs: the layout page's own list and the program's command list.
static QIcon ImageToolIcon(const char* list, int index)
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(reports);
        return true;
    }();
    (void)registered;
    return platform::ProgramIcons(list).Icon(index);
}

TImageProperty::TImageProperty(QWidget* parent) : TFontProperty(parent)
{
    setObjectName("ImageProperty");
    SetPageType(ctImage);
    PageControl->setTabText(1, platform::ToQString("テキストと表示スタイル"));
    QWidget* style = TabSheet2->parentWidget();
    CBDrawName = Named(new QCheckBox(platform::ToQString("ファイル名を表示する"), style), "CBDrawName");
    DrawTypeList = MakeList(style, "DrawTypeList", {"全体に表示", "等比", "等比(センター)", "等比(右下)", "並べて表示"});
    ColCountEdit = MakeNumber(style, "ColCountEdit", 1, 1, "", 1, 1);
    RowCountEdit = MakeNumber(style, "RowCountEdit", 1, 1, "", 1, 1);
    CBTransparent = Named(new QCheckBox(platform::ToQString("透過的に描画"), style), "CBTransparent");
    CBTrimming = Named(new QCheckBox(platform::ToQString("トリミング"), style), "CBTrimming");
    auto* grid = new QGridLayout;
    grid->addWidget(CBDrawName, 0, 0, 1, 4);
    grid->addWidget(new QLabel(platform::ToQString("スタイル"), style), 1, 0);
    grid->addWidget(DrawTypeList, 1, 1, 1, 3);
    grid->addWidget(new QLabel(platform::ToQString("横分割数"), style), 2, 0);
    grid->addWidget(ColCountEdit, 2, 1);
    grid->addWidget(new QLabel(platform::ToQString("縦分割数"), style), 2, 2);
    grid->addWidget(RowCountEdit, 2, 3);
    grid->addWidget(CBTransparent, 3, 0, 1, 2);
    grid->addWidget(CBTrimming, 3, 2, 1, 2);
    TabSheet2->insertLayout(TabSheet2->count() - 1, grid);

    QVBoxLayout* pictures = AddTab("イメージ", "ScrollBox3");
    QWidget* tab = pictures->parentWidget();
    ToolBar1 = Named(new QToolBar(tab), "ToolBar1");
    ToolBar1->setIconSize(QSize(16, 16));
    platform::TabFocusButtons(*ToolBar1);
    const struct {
        QAction** action;
        const char* name;
        const char* hint;
        const char* list;
        int image;
        bool separatorAfter;
    } tools[] = {
        {&BtnClear, "BtnClear", "画像クリア", "layoutprops", 16, false},
        {&BtnOpen, "BtnOpen", "読み込み", "layoutprops", 15, false},
        {&BtnSave, "BtnSave", "保存", "layoutprops", 19, true},
        {&BtnRightRotate, "BtnRightRotate", "右に９０度回転", "commands", 39, false},
        {&BtnLeftRotate, "BtnLeftRotate", "左に９０度回転", "commands", 38, false},
        {&BtnHorzReverse, "BtnHorzReverse", "水平方向反転", "commands", 40, false},
        {&BtnVertReverse, "BtnVertReverse", "垂直方向反転", "commands", 41, true},
        {&BtnItemUp, "BtnItemUp", "上に", "layoutprops", 17, false},
        {&BtnItemDown, "BtnItemDown", "下に", "layoutprops", 18, false},
    };
    for (const auto& tool : tools) {
        auto* action = Named(new QAction(ImageToolIcon(tool.list, tool.image), platform::ToQString(tool.hint), this),
                             tool.name);
        platform::SetHint(*action, tool.hint);
        ToolBar1->addAction(action);
        *tool.action = action;
        if (tool.separatorAfter) ToolBar1->addSeparator();
    }
    Splitter = Named(new QSplitter(Qt::Horizontal, tab), "Splitter");
    FileList = Named(new QListWidget(Splitter), "FileList");
    ImageView = Named(new TImageView(Splitter), "ImageView");
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({140, 260});
    Splitter->setMinimumHeight(160);
    pictures->addWidget(ToolBar1);
    pictures->addWidget(Splitter, 1);

    const auto on = [this](QAction* action, auto handler) {
        connect(action, &QAction::triggered, this, platform::Guarded([this, handler](bool) { (this->*handler)(); }));
    };
    on(BtnOpen, &TImageProperty::BtnLoadClick);
    on(BtnClear, &TImageProperty::BtnClearClick);
    on(BtnSave, &TImageProperty::BtnSaveClick);
    on(BtnItemUp, &TImageProperty::BtnItemUpClick);
    on(BtnItemDown, &TImageProperty::BtnItemDownClick);
    connect(BtnRightRotate, &QAction::triggered, this, platform::Guarded([this](bool) { BtnRotateClick(false); }));
    connect(BtnLeftRotate, &QAction::triggered, this, platform::Guarded([this](bool) { BtnRotateClick(true); }));
    connect(BtnHorzReverse, &QAction::triggered, this, platform::Guarded([this](bool) { BtnReverseClick(false); }));
    connect(BtnVertReverse, &QAction::triggered, this, platform::Guarded([this](bool) { BtnReverseClick(true); }));
    connect(FileList, &QListWidget::currentRowChanged, this, platform::Guarded([this](int) { FileListClick(); }));
    connect(DrawTypeList, &QComboBox::activated, this, platform::Guarded([this](int) { ApplyAll(); }));
    for (QCheckBox* box : {CBDrawName, CBTransparent, CBTrimming})
        connect(box, &QCheckBox::toggled, this, platform::Guarded([this](bool) { ApplyAll(); }));
    for (TUpDownEdit* edit : {ColCountEdit, RowCountEdit}) edit->OnChange = [this](QObject*) { ApplyAll(); };
    EnableTools();
}

void TImageProperty::SetViewItem(TViewItem* item)
{
    TFontProperty::SetViewItem(item);
    if (!item) {
        FileList->clear();
        ImageView->SetData(std::string());
        EnableTools();
    }
}

void TImageProperty::EnableTools()
{
    const bool picture = FileList->currentRow() >= 0;
    for (QAction* action : {BtnClear, BtnSave, BtnRightRotate, BtnLeftRotate, BtnHorzReverse, BtnVertReverse,
                            BtnItemUp, BtnItemDown})
        action->setEnabled(picture);
}

std::vector<std::string> TImageProperty::PickPictures()
{
    return platform::Services().OpenFiles("イメージ読み込み", kPictureFilter, {});
}

void TImageProperty::FillList(int select)
{
    TImageContainer* image = ImageOf(GetContainer());
    const QSignalBlocker quiet(FileList);
    FileList->clear();
    if (image)
        for (int i = 0; i < image->GetItemCount(); ++i) FileList->addItem(platform::ToQString(image->GetFileName(i)));
    FileList->setCurrentRow(FileList->count() == 0 ? -1 : std::clamp(select, 0, FileList->count() - 1));
    ShowPicture();
}

void TImageProperty::ShowPicture()
{
    TImageContainer* image = ImageOf(GetContainer());
    const int row = FileList->currentRow();
    ImageView->SetData(image && row >= 0 && row < image->GetItemCount() ? image->GetImageData(row) : std::string());
    EnableTools();
}

void TImageProperty::FileListClick() { ShowPicture(); }

void TImageProperty::BtnLoadClick()
{
    TImageContainer* image = ImageOf(GetContainer());
    if (!image) return;
    const std::vector<std::string> files = PickPictures();
    if (files.empty()) return;
    for (const std::string& file : files) {
        image->AddFile(file);
        TellUndrawablePicture(image->GetImageData(image->GetItemCount() - 1), *this);
    }
    FillList(image->GetItemCount() - 1);
}

void TImageProperty::BtnClearClick()
{
    TImageContainer* image = ImageOf(GetContainer());
    const int row = FileList->currentRow();
    if (!image || row < 0) return;
    image->DeleteItem(row);
    FillList(row);
}

void TImageProperty::BtnSaveClick()
{
    TImageContainer* image = ImageOf(GetContainer());
    const int row = FileList->currentRow();
    if (!image || row < 0) return;
    const std::string name = image->GetFileName(row);
    const auto path = platform::Services().SaveFile("イメージ保存", kPictureFilter, name, name);
    if (!path) return;
    // The picture's bytes as they are.
    const std::string bytes = image->GetImageData(row);
    QFile file(platform::ToQString(*path));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        throw platform::FileError("ファイルに書き込めません: " + *path);
}

void TImageProperty::BtnItemUpClick()
{
    TImageContainer* image = ImageOf(GetContainer());
    const int row = FileList->currentRow();
    if (!image || row <= 0) return;
    image->MoveItem(row, row - 1);
    FillList(row - 1);
}

void TImageProperty::BtnItemDownClick()
{
    TImageContainer* image = ImageOf(GetContainer());
    const int row = FileList->currentRow();
    if (!image || row < 0 || row >= FileList->count() - 1) return;
    image->MoveItem(row, row + 1);
    FillList(row + 1);
}

void TImageProperty::BtnRotateClick(bool left)
{
    TImageContainer* image = ImageOf(GetContainer());
    const int row = FileList->currentRow();
    if (!image || row < 0) return;
    image->Rotate(row, left);
    ShowPicture();
}

void TImageProperty::BtnReverseClick(bool vertical)
{
    TImageContainer* image = ImageOf(GetContainer());
    const int row = FileList->currentRow();
    if (!image || row < 0) return;
    image->Reverse(row, vertical);
    ShowPicture();
}

void TImageProperty::GetProperty(TContainer* container)
{
    TFontProperty::GetProperty(container);
    TImageContainer* image = ImageOf(container);
    if (!image) return;
    const Updating updating(*this);
    SetHorzAlign(static_cast<std::uint8_t>(std::clamp(image->GetHorzAlign(), 0, 2)));
    SetVertAlign(static_cast<std::uint8_t>(std::clamp(image->GetVertAlign(), 0, 2)));
    CBDrawName->setChecked(image->GetDrawName());
    CBTransparent->setChecked(image->GetTransparent());
    CBTrimming->setChecked(image->GetTrimming());
    ColCountEdit->SetValueQuiet(image->GetColCount());
    RowCountEdit->SetValueQuiet(image->GetRowCount());
    DrawTypeList->setCurrentIndex(image->GetDrawType());
    if (GetPageType() != ctImage) return;
    std::vector<std::string> shown;
    for (int i = 0; i < FileList->count(); ++i) shown.push_back(platform::FromQString(FileList->item(i)->text()));
    if (image->GetFileNames() != platform::JoinCommaText(shown)) FillList(0);
    else ShowPicture();
}

void TImageProperty::SetProperty(TContainer* container)
{
    TFontProperty::SetProperty(container);
    TImageContainer* image = ImageOf(container);
    if (!image) return;
    image->SetHorzAlign(GetHorzAlign());
    image->SetVertAlign(GetVertAlign());
    image->SetDrawName(CBDrawName->isChecked());
    image->SetTransparent(CBTransparent->isChecked());
    image->SetTrimming(CBTrimming->isChecked());
    image->SetColCount(ColCountEdit->GetValue());
    image->SetRowCount(RowCountEdit->GetValue());
    image->SetDrawType(DrawTypeList->currentIndex());
}
