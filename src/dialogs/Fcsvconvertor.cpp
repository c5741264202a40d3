#include "dialogs/Fcsvconvertor.h"

#include "data/Vkttabledefine.h"
#include "database/Uvktobject.h"
#include "dialogs/Fcsvedit.h"
#include "dialogs/Fcsveditor.h"
#include "dialogs/Fexecutedialog.h"
#include "dialogs/Fitemactivatepanel.h"
#include "dialogs/Uwizardpages.h"
#include "gui/Anchors.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "screens/Ffieldselector.h"
#include "widgets/Fvktform.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <filesystem>

namespace {

constexpr int kHelpContext = 8208;
constexpr int kClientWidth = 713;
constexpr int kClientHeight = 473;
const char* const kNext = "進む &>>";

std::size_t KindIndex(TCsvNameKind kind) { return static_cast<std::size_t>(kind); }

// Lays `content` over the page below its one-line label.
void FillBelowLabel(QWidget* page, QWidget* content)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 32, 8, 8);
    layout->addWidget(content);
}

void Stop(const std::string& text) { platform::Services().MessageBox(text, "確認", platform::MsgIcon::Stop, platform::MsgButtons::Ok, platform::MsgAnswer::Ok); }

} // namespace

TCsvConvertor::TCsvConvertor(QWidget* parent) : TVktDialog(parent)
{
    using platform::AnchorSide;
    setObjectName("CsvConvertor");
    setWindowTitle("データ一括変換ウィザード");
    setWindowFlags(windowFlags() | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    GetBtnSetting()->hide();
    QWidget* client = GetClient();
    pages_ = new TWizardPages(client);
    pages_->setObjectName("PageControl");
    pages_->setGeometry(8, 8, client->width() - 16, GetBevel()->y() - 12);
    platform::Anchor(*pages_, AnchorSide::Left | AnchorSide::Top | AnchorSide::Right | AnchorSide::Bottom);
    resize(kClientWidth, kClientHeight + GetStatusBar()->sizeHint().height());
    const TWizardButtons buttons = ArrangeWizardButtons(*this);
    btnNext_ = buttons.BtnNext;
    btnPrev_ = buttons.BtnPrev;

    QWidget* start = AddPage("TabStart", "ウィザード開始");
    AddPageLabel(start, "Label1", "データ一括変換ウィザードの開始", 16, 16, 500, true);
    AddPageLabel(start, "Label2", "このウィザードでは、次の操作の手助けをします。", 16, 56, 600);
    AddPageLabel(start, "Label3", "●", 32, 84, 16);
    AddPageLabel(start, "Label4", "表を直接編集したデータを一括変換する。", 52, 84, 600);
    AddPageLabel(start, "Label5", "●", 32, 108, 16);
    AddPageLabel(start, "Label6",
                 "あらかじめ用意されたＣＳＶ形式のファイルを一括変換する。ファイルはウイザード中で編集できます。", 52, 108,
                 620);
    AddPageLabel(start, "Label7", "それぞれ変換に必要な項目を選択でき、名称だけでもデータを生成できます。", 16, 148, 620);
    AddPageLabel(start, "Label8", "データ一括変換ウィザードを開始するには進むをクリックしてください。", 16, 188, 620);

    QWidget* fields = AddPage("TabFieldSelect", "変換項目選択");
    AddPageLabel(fields, "Label9", "変換するデータのタイプ（大分類）と項目を選択します。項目は名称が最低必要です。", 8, 8, 640);
    selector_ = new TCsvFieldSelector(fields);
    selector_->setObjectName("CsvFieldSelector");
    FillBelowLabel(fields, selector_);

    QWidget* edit = AddPage("TabFileEdit", "データ編集");
    // The label row: the page's text at the left, the encoding of the loaded file at the right;
    // the editor below at the place the other pages give their content.
    auto* top = new QWidget(edit);
    top->setFixedHeight(24);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(AddPageLabel(top, "Label10", "変換に不要な行（横列）、列（縦列）を削除し項目と列を揃えます。", 0, 0));
    topLayout->addStretch(1);
    QLabel* encodingLabel = AddPageLabel(top, "LabelEncoding", "文字コード(&E):", 0, 0);
    topLayout->addWidget(encodingLabel);
    cbxEncoding_ = new QComboBox(top);
    cbxEncoding_->setObjectName("CbxEncoding");
    for (TCsvEncoding encoding : kCsvEncodings)
        cbxEncoding_->addItem(CsvEncodingName(encoding), static_cast<int>(encoding));
    encodingLabel->setBuddy(cbxEncoding_);
    topLayout->addWidget(cbxEncoding_);
    connect(cbxEncoding_, &QComboBox::activated, this, platform::Guarded([this](int) { CbxEncodingChange(); }));
    editor_ = new TCsvEditor(edit);
    auto* editLayout = new QVBoxLayout(edit);
    editLayout->setContentsMargins(8, 4, 8, 8);
    editLayout->setSpacing(4);
    editLayout->addWidget(top);
    editLayout->addWidget(editor_, 1);
    TCsvEdit* csv = editor_->GetCsvEdit();
    csv->SetFixedRows(1);
    csv->SetColSizing(true);
    csv->OnChange = [this](TCsvEdit*, int kind) {
        if (kind < 5) WriteHeader();
        UpdateStatus();
    };
    OnClick(editor_->GetBtnLoad(), this, [this] { BtnCsvLoadClick(); });
    OnClick(editor_->GetBtnSave(), this, [this] { BtnCsvSaveClick(); });

    QWidget* activate = AddPage("TabItemActivate", "不明項目設定");
    AddPageLabel(activate, "Label11", "未登録の項目を設定済みの項目に変換するか、または新規に作成します。", 8, 8, 640);
    subPages_ = new QTabWidget(activate);
    subPages_->setObjectName("PageControl1");
    FillBelowLabel(activate, subPages_);
    const char* tabs[][2] = {{"分類項目の設定(&C)", "ClassActivateEdit"},
                             {"形態項目の設定(&F)", "FormActivateEdit"},
                             {"単位項目の設定(&U)", "UnitActivateEdit"},
                             {"業者項目の設定(&D)", "DealerActivateEdit"}};
    for (TCsvNameKind kind : kCsvNameKinds) {
        const auto k = KindIndex(kind);
        auto* item = new TItemActivateEdit(subPages_);
        item->setObjectName(tabs[k][1]);
        subPages_->addTab(item, platform::ToQString(tabs[k][0]));
        activate_[k] = item;
        OnClick(item->GetBtnItemNew(), this, [this, kind] { ItemNewClick(kind); });
    }

    QWidget* check = AddPage("TabComplete", "データ確認");
    AddPageLabel(check, "Label13", "修正されたデータが表示されています。戻る場合は一度保存し、そのファイルに変更を加えます。", 8, 8,
                 640);
    completeView_ = new QTableView(check);
    completeView_->setObjectName("CompleteGrid");
    completeModel_ = new TCsvGridModel(&complete_.Grid, completeView_);
    completeView_->setModel(completeModel_);
    completeView_->setFont(VktFormFont());
    completeView_->setTextElideMode(Qt::ElideNone);
    completeView_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    completeView_->verticalHeader()->hide();
    completeView_->verticalHeader()->setMinimumSectionSize(TCsvEdit::kRowHeight);
    completeView_->verticalHeader()->setDefaultSectionSize(TCsvEdit::kRowHeight);
    completeView_->horizontalHeader()->setDefaultSectionSize(100);
    completeView_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    completeView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    completeView_->setSelectionMode(QAbstractItemView::SingleSelection);
    completeView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    completeView_->setTabKeyNavigation(false);   // read only: Tab goes on to 保存 and the wizard's buttons
    btnSave_ = new QPushButton("保存", check);
    btnSave_->setObjectName("BtnSave");
    btnSave_->setFixedSize(97, 22);
    auto* row = new QWidget(check);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    completeView_->setParent(row);
    rowLayout->addWidget(completeView_, 1);
    rowLayout->addWidget(btnSave_, 0, Qt::AlignTop);
    FillBelowLabel(check, row);
    OnClick(btnSave_, this, [this] { BtnSaveClick(); });

    QWidget* convert = AddPage("TabConvert", "データ変換");
    label12_ = AddPageLabel(convert, "Label12", "０個のデータを変換します", 48, 16, 500);
    btnCsvComp_ = new QPushButton("変換開始", convert);
    btnCsvComp_->setObjectName("BtnCsvComp");
    btnCsvComp_->setGeometry(48, 48, 97, 22);
    OnClick(btnCsvComp_, this, [this] { BtnCsvCompClick(); });

    OnClick(btnNext_, this, [this] { BtnNextClick(); });
    OnClick(btnPrev_, this, [this] { BtnPrevClick(); });
    disconnect(GetBtnCancel(), &QPushButton::clicked, this, &QDialog::reject);
    OnClick(GetBtnCancel(), this, [this] { BtnCancelClick(); });
    OnClick(GetBtnHelp(), this, [] { platform::ShowHelp(kHelpContext); });
    platform::AddIdleHandler(this, [this] {
        if (isVisible()) UpdateActions();
    });
    FitPages();
    ShowEncoding();
    ShowPage(0);
}

void TCsvConvertor::FitPages()
{
    // The form's size, grown where a page's content needs more (its fonts may be larger than the
    // form was drawn for); the wizard never gets smaller than that. The page stack, anchored to
    // the client, follows the client's size at the form's size once it is shown.
    const QSize client = size() - QSize(0, GetStatusBar()->sizeHint().height());
    const QSize pages = pages_->size() + (client - GetClient()->size());
    const QSize need = pages_->minimumSizeHint();
    resize(size() + QSize(std::max(0, need.width() - pages.width()), std::max(0, need.height() - pages.height())));
    setMinimumSize(size());
}

TCsvConvertor::~TCsvConvertor()
{
    MarkDestroying();
    SetDataObject(nullptr);
}

QWidget* TCsvConvertor::AddPage(const char* name, const char* caption)
{
    QWidget* page = pages_->AddPage(name, caption);
    page->setProperty("Tag", pages_->count() - 1);
    return page;
}

TItemActivateEdit* TCsvConvertor::GetActivateEdit(TCsvNameKind kind) const
{
    return kind == TCsvNameKind::None ? nullptr : activate_[KindIndex(kind)];
}

int TCsvConvertor::GetPage() const { return pages_->currentIndex(); }

void TCsvConvertor::ShowPage(int page)
{
    pages_->ShowPage(page);
    if (page == 2) UpdateStatus();
    else GetStatusPanel()->clear();
    UpdateActions();
    // The page's first input takes the keys (the focus left on a page now disabled would pass to
    // キャンセル, which Enter would then press); a page without one leaves them to 進む.
    FocusFirstInput(pages_->currentWidget(), GetBtnNext());
}

TPriorityItem TCsvConvertor::Fields() const { return selector_->GetFields(); }
int TCsvConvertor::PerLine() const { return std::max(1, selector_->GetTitleCount()); }
int TCsvConvertor::Family() const { return selector_->GetFamily(); }

std::vector<std::string> TCsvConvertor::Captions() const
{
    std::vector<std::string> captions;
    const TPriorityItem fields = Fields();
    for (int i = 0; i < fields.GetCount(); ++i) captions.push_back(GetFieldCaption(static_cast<TVktField>(fields.GetItem(i))));
    return captions;
}

void TCsvConvertor::WriteHeader()
{
    TCsvEdit* csv = editor_->GetCsvEdit();
    const std::vector<std::string> captions = Captions();
    const int count = static_cast<int>(captions.size()) * PerLine();
    for (int col = 0; col < csv->GetColCount(); ++col)
        csv->Core().Grid().SetCell(col, 0, col < count ? captions[static_cast<std::size_t>(col) % captions.size()] : std::string());
    csv->SetColCount(csv->GetColCount());   // repaints the header
}

void TCsvConvertor::UpdateStatus()
{
    if (GetPage() != 2) return;
    const int wanted = Fields().GetCount() * PerLine();
    GetStatusPanel()->setText(platform::ToQString(ColumnCountMessage(editor_->GetCsvEdit()->Core().Grid(), wanted)));
}

void TCsvConvertor::FitTable()
{
    TCsvEdit* csv = editor_->GetCsvEdit();
    FitColumns(csv->Core().Grid(), Fields().GetCount() * PerLine());
    csv->SetColCount(csv->Core().Grid().GetColCount());
    WriteHeader();
}

void TCsvConvertor::UpdateActions()
{
    const int page = GetPage();
    bool next = true;
    const TCsvEdit* csv = editor_->GetCsvEdit();
    switch (page) {
    case 1: next = Fields().IndexOf(static_cast<int>(TVktField::Data)) >= 0; break;
    case 2: {
        const int wanted = Fields().GetCount() * PerLine();
        next = CountedColumns(csv->Core().Grid(), wanted) == wanted;
        break;
    }
    case 5: next = !btnCsvComp_->isEnabled(); break;
    default: break;
    }
    btnNext_->setEnabled(next);
    btnPrev_->setEnabled(page != 0);
}

bool TCsvConvertor::PrepareMapping()
{
    TVktObject* object = GetDataObject();
    const TPriorityItem fields = Fields();
    activeKind_ = -1;
    prepared_.fill(false);
    for (int i = 0; i < subPages_->count(); ++i) subPages_->setTabVisible(i, true);
    for (TCsvNameKind kind : kCsvNameKinds) {
        const auto k = KindIndex(kind);
        TItemActivatePanel* panel = activate_[k]->GetItemActivatePanel();
        bool present = false;
        for (int i = 0; i < fields.GetCount(); ++i) present = present || NameKindOf(fields.GetItem(i)) == kind;
        bool unknown = false;
        if (present && object) {
            unknown = PrepareNameMap(panel->GetNameMap(), RegisteredItems(*object, kind, Family()),
                                     CollectNames(editor_->GetCsvEdit()->Core().Grid(), fields, PerLine(), kind));
        } else {
            panel->GetNameMap().ClearUnknownItems();
            panel->GetNameMap().ClearItems();
        }
        panel->Reload();
        prepared_[k] = unknown;
        subPages_->setTabVisible(static_cast<int>(k), unknown);
        if (unknown && activeKind_ < 0) activeKind_ = static_cast<int>(k);
    }
    if (activeKind_ >= 0) subPages_->setCurrentIndex(activeKind_);
    return activeKind_ >= 0;
}

bool TCsvConvertor::IsAllMapped() const
{
    for (TCsvNameKind kind : kCsvNameKinds) {
        const auto k = KindIndex(kind);
        if (prepared_[k] && !activate_[k]->GetItemActivatePanel()->IsComplete()) return false;
    }
    return true;
}

void TCsvConvertor::BuildComplete()
{
    std::array<const TCsvNameMap*, 4> maps{};
    for (TCsvNameKind kind : kCsvNameKinds)
        maps[KindIndex(kind)] = &activate_[KindIndex(kind)]->GetItemActivatePanel()->GetNameMap();
    ::BuildCompleteGrid(complete_, editor_->GetCsvEdit()->Core().Grid(), Fields(), PerLine(), Captions(), maps);
    completeModel_->Reset();
    ++completeVersion_;
}

void TCsvConvertor::BtnNextClick()
{
    switch (GetPage()) {
    case 0: ShowPage(1); break;
    case 1:
        FitTable();
        ShowPage(2);
        break;
    case 2: {
        TCsvEdit* csv = editor_->GetCsvEdit();
        csv->CommitEdit();
        const TCsvCheck check = CheckGrid(csv->Core().Grid(), Fields(), PerLine(), Family());
        if (!check.Passed()) {
            if (check.Col >= 0) csv->SetCurrent(check.Col, check.Row);
            Stop(check.Message);
            if (check.Col >= 0) csv->EditCurrent();
            return;
        }
        const platform::BusyCursor busy;
        if (PrepareMapping()) {
            ShowPage(3);
        } else {
            BuildComplete();
            ShowPage(4);
        }
        break;
    }
    case 3:
        BuildComplete();
        if (!IsAllMapped()) {
            Stop("すべての不明項目を定義済みの項目に関連付ける必要があります。");
            return;
        }
        ShowPage(4);
        break;
    case 4:
        label12_->setText(platform::ToQString(std::to_string(complete_.GetDataCount()) + "個のデータを変換します"));
        btnCsvComp_->move(48, 48);
        btnCsvComp_->setEnabled(completeVersion_ != runVersion_);
        btnNext_->setText("閉じる");
        ShowPage(5);
        break;
    case 5: done(QDialog::Accepted); break;
    default: break;
    }
}

void TCsvConvertor::BtnPrevClick()
{
    switch (GetPage()) {
    case 1:
    case 2:
    case 3: ShowPage(GetPage() - 1); break;
    case 4: ShowPage(activeKind_ >= 0 ? 3 : 2); break;
    case 5:
        btnNext_->setText(kNext);
        btnNext_->setEnabled(true);
        ShowPage(4);
        break;
    default: break;
    }
}

void TCsvConvertor::BtnCancelClick()
{
    if (AskQuitWizard()) done(QDialog::Rejected);
}

void TCsvConvertor::reject()
{
    if (GetBtnCancel()->isEnabled()) platform::Guard([this] { BtnCancelClick(); });
}

void TCsvConvertor::ItemNewClick(TCsvNameKind kind)
{
    TVktObject* object = GetDataObject();
    TItemActivatePanel* panel = GetActivateEdit(kind)->GetItemActivatePanel();
    const int row = panel->GetUnknownRow();
    if (!object || row < 0) return;   // the blank row of an empty list names nothing to create
    CreateItem(*object, panel->GetNameMap(), kind, Family(), row);
    panel->Reload();
}

void TCsvConvertor::BtnCsvLoadClick()
{
    const std::optional<std::string> path =
        platform::Services().OpenFile("", "CSVファイル|*.csv|全てのファイル|*.*", openName_, openName_);
    if (!path) return;
    const platform::BusyCursor busy;
    openName_ = *path;
    saveName_ = *path;
    editor_->GetCsvEdit()->LoadFromFile(*path);
    loadedName_ = *path;
    ShowEncoding();
    WriteHeader();
    UpdateStatus();
}

void TCsvConvertor::ShowEncoding()
{
    const TCsvEncoding encoding = editor_->GetCsvEdit()->GetEncoding();
    cbxEncoding_->setCurrentIndex(cbxEncoding_->findData(static_cast<int>(encoding)));
    cbxEncoding_->setEnabled(!loadedName_.empty());
}

void TCsvConvertor::CbxEncodingChange()
{
    TCsvEdit* csv = editor_->GetCsvEdit();
    const auto chosen = static_cast<TCsvEncoding>(cbxEncoding_->currentData().toInt());
    if (loadedName_.empty() || chosen == csv->GetEncoding()) return ShowEncoding();
    csv->CommitEdit();
    if (csv->CanUndo() &&
        platform::Services().MessageBox("表の編集内容は失われます。ファイルを" + std::string(CsvEncodingName(chosen)) +
                                            "で読み直しますか？",
                                        "確認", platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                                        platform::MsgAnswer::No) != platform::MsgAnswer::Yes)
        return ShowEncoding();
    try {
        const platform::BusyCursor busy;
        csv->LoadFromFile(loadedName_, chosen);
    } catch (...) {
        ShowEncoding();
        throw;
    }
    ShowEncoding();
    WriteHeader();
    UpdateStatus();
}

void TCsvConvertor::BtnCsvSaveClick()
{
    const std::optional<std::string> chosen = platform::Services().SaveFile("", "CSVファイル|*.csv", saveName_, saveName_);
    if (!chosen) return;
    const std::string path = std::filesystem::path(*chosen).replace_extension(".csv").string();
    if (path != *chosen && std::filesystem::exists(path) &&
        platform::Services().MessageBox("同名のファイルがすでに存在します。ファイルを上書きしますか？", "ファイル上書き確認",
                                        platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                                        platform::MsgAnswer::No) != platform::MsgAnswer::Yes)
        return;
    openName_ = path;
    saveName_ = path;
    const platform::BusyCursor busy;
    editor_->GetCsvEdit()->SaveToFile(path);
    loadedName_ = path;
    ShowEncoding();
}

void TCsvConvertor::BtnSaveClick()
{
    const std::optional<std::string> path = platform::Services().SaveFile("", "CSVファイル|*.csv", saveName_, saveName_);
    if (!path) return;
    const platform::BusyCursor busy;
    openName_ = *path;
    WriteCsvFile(*path, ::GetCSV(complete_.Grid), editor_->GetCsvEdit()->GetEncoding());
}

void TCsvConvertor::BtnCsvCompClick()
{
    btnCsvComp_->setEnabled(false);
    QApplication::processEvents();
    runVersion_ = completeVersion_;
    const auto kind = static_cast<TVktObjKind>(Family());
    ExecuteDlg(GetDataObject())->InsertData(kind, complete_.GetDataCount(), ImportText(complete_, Fields()), Fields());
    btnNext_->setEnabled(true);
    // The run's button went grey and passed the keys on to 戻る: what comes next is 閉じる.
    btnNext_->setFocus(Qt::OtherFocusReason);
}

void TCsvConvertor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        const int page = GetPage();
        platform::Guard([page] { platform::ShowHelp(kHelpContext + 16 * page); });
        return;
    }
    TVktDialog::keyPressEvent(event);
}

void TCsvConvertor::showEvent(QShowEvent* event)
{
    TVktDialog::showEvent(event);
    if (placed_) return;
    placed_ = true;
    SetScreenPlace(this, TScreenPlace::Center);
}

TCsvConvertor* CsvConvertor()
{
    static QPointer<TCsvConvertor> wizard;
    if (!wizard) {
        const platform::BusyCursor busy;
        return SingleDialog(wizard);
    }
    return wizard;
}

int ShowCsvConvertor(TVktObject* obj)
{
    TCsvConvertor* wizard = CsvConvertor();
    wizard->SetDataObject(obj);
    wizard->GetCsvFieldSelector()->GetRBFoodFamily()->setChecked(true);
    wizard->GetCsvFieldSelector()->ClassTypeSelectorClick();
    wizard->ShowPage(0);
    wizard->GetBtnNext()->setText(kNext);
    wizard->GetBtnNext()->setEnabled(true);
    wizard->GetBtnPrev()->setEnabled(false);
    wizard->GetBtnNext()->setFocus();
    return wizard->exec();
}
