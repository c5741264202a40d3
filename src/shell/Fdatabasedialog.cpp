#include "shell/Fdatabasedialog.h"

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "platform/Files.h"
#include "shell/Fdbactiondialog.h"
#include "shell/Ushellservices.h"
#include "widgets/Fvktform.h"
#include "widgets/Mvktmodule.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QUrl>
#include <QVBoxLayout>

#include <filesystem>
#include <system_error>

namespace {

constexpr int kWidth = 472;
constexpr int kHeight = 388;
constexpr const char* kErrorCaption = "エラー確認";
constexpr const char* kConfirmCaption = "確認";
constexpr int kTagRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kHelpContext = 4128;

// A text of the data with its "\n\r", "\r\n" or lone "\r" shown as one line break.
QString ShownText(const std::string& text)
{
    QString result = platform::ToQString(text);
    result.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

std::string Text(const QListWidgetItem* item) { return platform::FromQString(item->text()); }

// A handler without arguments for a signal that has some, run under the guard.
template <typename Fn>
auto Slot(Fn fn)
{
    return [fn = std::move(fn)]() mutable { platform::Guard(fn); };
}

// Commits an in-place edit only when the list's OnEdited agrees.
class CaptionDelegate : public QStyledItemDelegate {
public:
    explicit CaptionDelegate(TDatabaseList* list) : QStyledItemDelegate(list), list_(list) {}

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line) return;
        const QString oldText = index.data(Qt::DisplayRole).toString();
        const QString newText = line->text();
        if (newText == oldText) return;
        if (!list_->OnEdited || list_->OnEdited(oldText, newText)) model->setData(index, newText, Qt::EditRole);
    }

private:
    TDatabaseList* list_;
};

} // namespace

// ---- TDatabaseList ------------------------------------------------------------------------------

TDatabaseList::TDatabaseList(QWidget* parent) : QListWidget(parent)
{
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setIconSize(QSize(32, 32));
    // No grid: each item is as wide as its caption, which never breaks inside a word.
    setWordWrap(false);
    setSpacing(10);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setItemDelegate(new CaptionDelegate(this));
}

bool TDatabaseList::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const bool started = QListWidget::edit(index, trigger, event);
    if (started && OnEditing) OnEditing(true);
    return started;
}

void TDatabaseList::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QListWidget::closeEditor(editor, hint);
    if (OnEditing) OnEditing(false);
}

// ---- TOpenDataBaseDialog ------------------------------------------------------------------------

TOpenDataBaseDialog::TOpenDataBaseDialog(TVktApplication* registry, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      registry_(registry ? *registry : VktApplication())
{
    setObjectName("OpenDataBaseDialog");
    setWindowTitle(platform::ToQString("データベースを開く"));
    setFont(VktFormFont());
    setFixedSize(kWidth, kHeight);

    pages_ = new QStackedWidget(this);
    pages_->setObjectName("PageControl");

    // Select page.
    QWidget* select = MakePage("データベースの選択");
    list_ = new TDatabaseList(select);
    list_->setObjectName("ListView");
    createItem_ = AddItem("新しいデータベースを作る", pgCreate, imgNew);
    registerItem_ = AddItem("既にあるデータベースを登録する", pgRegister, imgRegister);
    auto* pathLabel = new QLabel(platform::ToQString("データベースの場所"), select);
    pathEdit_ = new QLineEdit(select);
    pathEdit_->setObjectName("PathEdit");
    pathLabel->setBuddy(pathEdit_);
    pathEdit_->setReadOnly(true);
    btnOpenLink_ = new QPushButton(platform::ToQString("リンク先を開く(&S)"), select);
    btnOpenLink_->setObjectName("BtnOpenLink");
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(pathEdit_, 1);
    pathRow->addWidget(btnOpenLink_);
    auto* selectLayout = static_cast<QVBoxLayout*>(select->layout());
    selectLayout->addWidget(list_, 1);
    selectLayout->addWidget(pathLabel);
    selectLayout->addLayout(pathRow);

    // Create and register pages: a folder and its browse button.
    const auto folderPage = [this](const char* caption, const char* prompt, QLineEdit*& edit, QPushButton*& browse,
                                   const char* name) {
        QWidget* page = MakePage(caption);
        auto* layout = static_cast<QVBoxLayout*>(page->layout());
        auto* label = new QLabel(platform::ToQString(prompt), page);
        edit = new QLineEdit(page);
        edit->setObjectName(QStringLiteral("%1FolderEdit").arg(name));
        label->setBuddy(edit);
        browse = new QPushButton(platform::ToQString("参照(&B)..."), page);
        browse->setObjectName(QStringLiteral("Btn%1Browse").arg(name));
        auto* row = new QHBoxLayout;
        row->addWidget(edit, 1);
        row->addWidget(browse);
        layout->addWidget(label);
        layout->addLayout(row);
        connect(browse, &QPushButton::clicked, this, Slot([this] { BtnBrowseClick(); }));
        return page;
    };
    QWidget* create = folderPage("データベースの作成", "データベースファイルを保存するフォルダを指定します。",
                                 createFolderEdit_, btnCreateBrowse_, "Create");
    auto* note = new QLabel(ShownText("注：データベースファイルは各フォルダに１つしか保存できません。\r"
                                    "またルートフォルダ「/」も指定できません。"),
                            create);
    note->setObjectName("CreateNote");
    note->setWordWrap(true);
    static_cast<QVBoxLayout*>(create->layout())->addSpacing(12);
    static_cast<QVBoxLayout*>(create->layout())->addWidget(note);
    folderPage("データベースの追加", "登録するデータベースファイルが在るフォルダを指定します。", registerFolderEdit_,
               btnRegisterBrowse_, "Register");

    // Name page.
    QWidget* namePage = MakePage("データベースの名称");
    nameEdit_ = new QLineEdit(namePage);
    nameEdit_->setObjectName("NameEdit");
    static_cast<QVBoxLayout*>(namePage->layout())
        ->addWidget(new QLabel(platform::ToQString("データベースに付ける名前を指定します。"), namePage));
    static_cast<QVBoxLayout*>(namePage->layout())->addWidget(nameEdit_);
    for (int i = pgCreate; i <= pgName; ++i) static_cast<QVBoxLayout*>(pages_->widget(i)->layout())->addStretch(1);

    // Bottom: the banner on the bevel line, the buttons, the status bar.
    banner_ = new QLabel(platform::ToQString(" " + VktMdl()->GetProductName() + " "), this);
    banner_->setObjectName("Banner");
    banner_->setEnabled(false);
    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    auto* bannerRow = new QHBoxLayout;
    bannerRow->setSpacing(0);
    bannerRow->addWidget(banner_);
    bannerRow->addWidget(bevel, 1);

    btnBack_ = new QPushButton(platform::ToQString("戻る &<<"), this);
    btnBack_->setObjectName("BtnBack");
    btnOk_ = new QPushButton(platform::ToQString("OK"), this);
    btnOk_->setObjectName("BtnOk");
    btnCancel_ = new QPushButton(platform::ToQString("キャンセル"), this);
    btnCancel_->setObjectName("BtnCancel");
    btnHelp_ = new QPushButton(platform::ToQString("ヘルプ(&H)"), this);
    btnHelp_->setObjectName("BtnHelp");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {btnBack_, btnOk_, btnCancel_, btnHelp_}) {
        button->setAutoDefault(false);
        button->setFixedSize(88, 25);
        buttons->addWidget(button);
    }
    btnOk_->setDefault(true);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName("StatusBar");
    statusBar_->setSizeGripEnabled(false);
    statusPanel_ = new QLabel(statusBar_);
    statusPanel_->setObjectName("StatusPanel");
    statusBar_->addWidget(statusPanel_, 1);   // the one panel spans the bar

    auto* content = new QVBoxLayout;
    content->setContentsMargins(12, 12, 12, 8);
    content->addWidget(pages_, 1);
    content->addLayout(bannerRow);
    content->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(content, 1);
    layout->addWidget(statusBar_);

    // The list's popup menu.
    popup_ = new QMenu(this);
    popup_->setObjectName("PopupMenu");
    const auto addAction = [this](const char* caption, const char* name, void (TOpenDataBaseDialog::*handler)()) {
        QAction* action = popup_->addAction(platform::ToQString(caption));
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, Slot([this, handler] { (this->*handler)(); }));
        return action;
    };
    actRename_ = addAction("名前を変更する...", "ActRename", &TOpenDataBaseDialog::ActRenameExecute);
    actMove_ = addAction("保存場所を移動する...", "ActMove", &TOpenDataBaseDialog::ActMoveExecute);
    actCopy_ = addAction("複製を作る...", "ActCopy", &TOpenDataBaseDialog::ActCopyExecute);
    actUnregister_ = addAction("登録抹消...", "ActUnregister", &TOpenDataBaseDialog::ActUnregisterExecute);
    popup_->addSeparator();
    actDelete_ = addAction("削除する...", "ActDelete", &TOpenDataBaseDialog::ActDeleteExecute);

    connect(btnOk_, &QPushButton::clicked, this, Slot([this] { BtnOkClick(); }));
    connect(btnCancel_, &QPushButton::clicked, this, [this] { reject(); });
    connect(btnBack_, &QPushButton::clicked, this, Slot([this] { BtnBackClick(); }));
    connect(btnHelp_, &QPushButton::clicked, this, Slot([this] { BtnHelpClick(); }));
    connect(btnOpenLink_, &QPushButton::clicked, this, Slot([this] { BtnOpenLinkClick(); }));
    connect(list_, &QListWidget::itemDoubleClicked, this, platform::Guarded([this](QListWidgetItem*) {
                BtnOkClick();
            }));
    connect(list_, &QListWidget::itemSelectionChanged, this, platform::Guarded([this] { ListSelectionChanged(); }));
    connect(list_, &QWidget::customContextMenuRequested, this, platform::Guarded([this](const QPoint& at) {
                PopupMenuPopup();
                popup_->popup(list_->viewport()->mapToGlobal(at));
            }));
    list_->OnEditing = [this](bool editing) { SetEditing(editing); };
    list_->OnEdited = [this](const QString& oldName, const QString& newName) {
        return CaptionEdited(oldName, newName);
    };
    platform::AddIdleHandler(this, [this] {
        if (isVisible()) UpdateActions();
    });
    ShowPage(pgSelect);
}

QWidget* TOpenDataBaseDialog::MakePage(const char* caption)
{
    auto* page = new QWidget(pages_);
    page->setWindowTitle(platform::ToQString(caption));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 8);
    auto* heading = new QLabel(platform::ToQString(caption), page);
    heading->setFont(VktFormFont(true));
    layout->addWidget(heading);
    layout->addSpacing(4);
    pages_->addWidget(page);
    return page;
}

QListWidgetItem* TOpenDataBaseDialog::AddItem(const std::string& caption, int tag, int image)
{
    auto* item = new QListWidgetItem(QIcon(DatabasePicture(image)), platform::ToQString(caption), list_);
    item->setData(kTagRole, tag);
    item->setData(kImageRole, image);
    if (tag == 0) item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

int TOpenDataBaseDialog::ItemTag(const QListWidgetItem* item) { return item ? item->data(kTagRole).toInt() : -1; }

int TOpenDataBaseDialog::ItemImage(const QListWidgetItem* item) { return item ? item->data(kImageRole).toInt() : 0; }

std::string TOpenDataBaseDialog::ErrorText(int code)
{
    switch (code) {
    case 1: return "保存場所として相応しくないフォルダが選択されました。\n\r別のフォルダを指定してください。";
    case 2: return "指定された名称は既に登録されています。\n\r別の名称を指定してください。";
    case 3: return "指定されたフォルダは既に登録されています。\n\r別のフォルダを指定してください。";
    case 4: return "指定されたフォルダは、データベースが無いかまたは破損しています。\n\r別のフォルダを指定してください。";
    case 5: return "フォルダを作成することは出来ませんでした。";
    case 6: return "指定されたフォルダは確認出来ませんでした、\n\r別のフォルダを指定してください。";
    case 7: return "フォルダに未登録のデータベースを確認しました。\r\n一度ＶＫＴに登録してその後移動または削除してください。";
    default: return {};
    }
}

void TOpenDataBaseDialog::ShowError(int code) { platform::ShowError(ErrorText(code), kErrorCaption); }

bool TOpenDataBaseDialog::Execute(int mode)
{
    selectedName_.clear();
    BuildList();
    ShowPage(mode);
    return exec() == QDialog::Accepted;
}

void TOpenDataBaseDialog::BuildList()
{
    for (int i = list_->count() - 1; i >= 0; --i)
        if (ItemTag(list_->item(i)) == 0) delete list_->takeItem(i);
    for (int i = 0; i < registry_.GetCount(); ++i) {
        const std::string name = registry_.GetName(i);
        AddItem(name, 0, registry_.IsObjectOpen(name) ? imgOpenDatabase : imgDatabase);
    }
}

void TOpenDataBaseDialog::ShowPage(int page)
{
    switch (page) {
    case pgSelect:
        btnBack_->hide();
        btnOk_->setText(QStringLiteral("OK"));
        pages_->setCurrentIndex(pgSelect);
        list_->setFocus();
        break;
    case pgCreate:
    case pgRegister: {
        createMode_ = page == pgCreate;
        list_->setCurrentItem(createMode_ ? createItem_ : registerItem_);
        btnBack_->show();
        btnOk_->setText(platform::ToQString("次へ &>>"));
        QLineEdit* folder = createMode_ ? createFolderEdit_ : registerFolderEdit_;
        folder->setText(platform::ToQString(VktMdl()->GetDocumentsFolder()));
        pages_->setCurrentIndex(page);
        folder->setFocus();
        break;
    }
    case pgName:
        nameEdit_->setText(platform::ToQString(registry_.NewDatabaseName()));
        pages_->setCurrentIndex(pgName);
        nameEdit_->setFocus();
        break;
    default:
        break;
    }
}

int TOpenDataBaseDialog::GetActivePage() const { return pages_->currentIndex(); }

void TOpenDataBaseDialog::BtnOkClick()
{
    int code = 0;
    switch (GetActivePage()) {
    case pgSelect: {
        const QList<QListWidgetItem*> selected = list_->selectedItems();
        if (list_->IsEditing() || selected.isEmpty()) return;
        QListWidgetItem* item = selected.front();
        if (ItemTag(item) != 0) {
            ShowPage(ItemTag(item));
        } else if (registry_.GetObject(Text(item))->GetOpenCount() == 0) {
            selectedName_ = Text(item);
            accept();
        }
        break;
    }
    case pgCreate: {
        const std::string folder = platform::FromQString(createFolderEdit_->text());
        if (registry_.IsPathRegistered(folder))
            code = 3;
        else if (registry_.GetDatabaseFormat(folder) == 2)
            code = 7;
        else
            ShowPage(pgName);
        break;
    }
    case pgRegister: {
        const std::string folder = platform::FromQString(registerFolderEdit_->text());
        if (!platform::FolderExists(folder))
            code = 1;
        else if (registry_.IsPathRegistered(folder))
            code = 3;
        else if (registry_.GetDatabaseFormat(folder) == 0)
            code = 4;
        else
            ShowPage(pgName);
        break;
    }
    case pgName:
        code = createMode_ ? CreateNew() : RegisterExisting();
        break;
    default:
        break;
    }
    if (code != 0) ShowError(code);
}

int TOpenDataBaseDialog::CreateNew()
{
    const std::string name = platform::FromQString(nameEdit_->text());
    const std::string folder = platform::FromQString(createFolderEdit_->text());
    if (registry_.IsRegistered(name)) return 2;
    if (!platform::FolderExists(folder)) {
        if (!platform::AskYesNo("指定されたフォルダは確認出来ません。フォルダを作成しますか？", kErrorCaption, true))
            return 0;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (!platform::FolderExists(folder)) return 5;
    }
    const bool created =
        WithActionDialog(registry_, [&](TDBActionDialog& dialog) { return dialog.CreateDatabase(folder, name); });
    if (created) {
        selectedName_ = name;
        accept();
    }
    return 0;
}

int TOpenDataBaseDialog::RegisterExisting()
{
    const std::string name = platform::FromQString(nameEdit_->text());
    const std::string folder = platform::FromQString(registerFolderEdit_->text());
    if (registry_.IsRegistered(name)) return 2;
    if (registry_.GetDatabaseFormat(folder) < 1) return 4;
    if (!platform::FolderExists(folder)) return 6;
    // The registry refuses a name it cannot keep in its list as it refuses a registered one.
    if (!registry_.RegisterDatabase(name, folder)) return 2;
    selectedName_ = name;
    accept();
    return 0;
}

void TOpenDataBaseDialog::BtnBackClick()
{
    switch (GetActivePage()) {
    case pgCreate:
    case pgRegister: ShowPage(pgSelect); break;
    case pgName: ShowPage(createMode_ ? pgCreate : pgRegister); break;
    default: break;
    }
}

void TOpenDataBaseDialog::BtnBrowseClick()
{
    QLineEdit* field = createMode_ ? createFolderEdit_ : registerFolderEdit_;
    const std::optional<std::string> folder = platform::Services().PickFolder({}, platform::FromQString(field->text()));
    if (!folder) return;
    field->setText(platform::ToQString(*folder));
}

void TOpenDataBaseDialog::BtnOpenLinkClick()
{
    platform::Services().OpenUrl(platform::FromQString(QUrl::fromLocalFile(pathEdit_->text()).toString()));
}

void TOpenDataBaseDialog::BtnHelpClick() { platform::ShowHelp(kHelpContext); }

void TOpenDataBaseDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        static constexpr int kContexts[] = {4624, 4640, 4656};
        const int page = GetActivePage();
        const int context = page == pgName ? (createMode_ ? 4640 : 4656) : kContexts[page];
        platform::Guard([context] { platform::ShowHelp(context); });
        return;
    }
    QDialog::keyPressEvent(event);
}

QListWidgetItem* TOpenDataBaseDialog::SelectedDatabase() const
{
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty() || ItemTag(selected.front()) != 0) return nullptr;
    return selected.front();
}

void TOpenDataBaseDialog::PopupMenuPopup()
{
    const QListWidgetItem* item = SelectedDatabase();
    const bool closed = item && !registry_.IsObjectOpen(Text(item));
    actRename_->setEnabled(item != nullptr);
    for (QAction* action : {actMove_, actCopy_, actUnregister_, actDelete_}) action->setEnabled(closed);
}

void TOpenDataBaseDialog::ActRenameExecute()
{
    if (QListWidgetItem* item = SelectedDatabase()) list_->editItem(item);
}

void TOpenDataBaseDialog::SetEditing(bool editing) { btnOk_->setDefault(!editing); }

bool TOpenDataBaseDialog::CaptionEdited(const QString& oldName, const QString& newName)
{
    bool renamed = false;
    platform::Guard([&] {
        renamed = registry_.RenameDatabase(platform::FromQString(oldName), platform::FromQString(newName));
    });
    return renamed;
}

void TOpenDataBaseDialog::ActMoveExecute()
{
    QListWidgetItem* item = SelectedDatabase();
    if (!item) return;
    const std::optional<std::string> folder = platform::Services().PickFolder(
        "移動先のフォルダを指定します。", platform::FromQString(pathEdit_->text()));
    if (!folder) return;
    const std::string name = Text(item);
    if (WithActionDialog(registry_, [&](TDBActionDialog& dialog) { return dialog.MoveDatabase(name, *folder); }))
        pathEdit_->setText(platform::ToQString(registry_.GetPath(registry_.IndexOf(name))));
    else
        ShowError(3);
}

void TOpenDataBaseDialog::ActCopyExecute()
{
    QListWidgetItem* item = SelectedDatabase();
    if (!item) return;
    const std::optional<std::string> folder = platform::Services().PickFolder(
        "コピー先のフォルダを指定します。", platform::FromQString(pathEdit_->text()));
    if (!folder) return;
    const std::string name = Text(item);
    std::string newName;
    const bool copied = WithActionDialog(registry_, [&](TDBActionDialog& dialog) {
        return dialog.CopyDatabase(name, *folder, newName);
    });
    if (!copied) {
        ShowError(3);
        return;
    }
    QListWidgetItem* copy = AddItem(newName, 0, imgDatabase);
    list_->setCurrentItem(copy);
    list_->scrollToItem(copy);
}

void TOpenDataBaseDialog::ActUnregisterExecute()
{
    QListWidgetItem* item = SelectedDatabase();
    if (!item) return;
    const std::string name = Text(item);
    if (!platform::AskYesNo("データベース '" + name +
                                "' をVKTの登録から削除します。\r\nデータベースは再登録する事で利用可能になります。",
                            kConfirmCaption, false))
        return;
    registry_.UnregisterDatabase(name);
    delete list_->takeItem(list_->row(item));
}

void TOpenDataBaseDialog::ActDeleteExecute()
{
    QListWidgetItem* item = SelectedDatabase();
    if (!item) return;
    const std::string name = Text(item);
    if (!platform::AskYesNo("データベース '" + name +
                                "' を削除します。\r\nデータベースはハードディスク上から完全に削除され、元に戻すことはできません。",
                            kConfirmCaption, false))
        return;
    if (WithActionDialog(registry_, [&](TDBActionDialog& dialog) { return dialog.DeleteDatabase(name); }))
        delete list_->takeItem(list_->row(item));
}

void TOpenDataBaseDialog::ListSelectionChanged()
{
    const QListWidgetItem* item = SelectedDatabase();
    const std::string folder = item ? registry_.GetPath(registry_.IndexOf(Text(item))) : std::string();
    pathEdit_->setText(platform::ToQString(folder));
    // Said before it opens: the cook may want to make the folder writable first.
    const bool protectedFolder =
        !folder.empty() &&
        platform::FindWriteBarrier(platform::DatabaseFilePath(folder)) != platform::WriteBarrier::None;
    statusPanel_->setText(protectedFolder ? QStringLiteral("このデータベースには書き込みできません。読み取り専用で開きます。")
                                          : QString());
}

void TOpenDataBaseDialog::UpdateActions()
{
    bool ok = false;
    switch (GetActivePage()) {
    case pgSelect: {
        const QList<QListWidgetItem*> selected = list_->selectedItems();
        ok = !selected.isEmpty() &&
             (ItemTag(selected.front()) != 0 || ItemImage(selected.front()) == imgDatabase);
        break;
    }
    case pgCreate: ok = !createFolderEdit_->text().isEmpty(); break;
    case pgRegister: ok = !registerFolderEdit_->text().isEmpty(); break;
    case pgName: ok = !nameEdit_->text().isEmpty(); break;
    default: break;
    }
    btnOk_->setEnabled(ok);
    btnOpenLink_->setEnabled(!pathEdit_->text().isEmpty());
}

TOpenDataBaseDialog* OpenDataBaseDlg()
{
    static QPointer<TOpenDataBaseDialog> dialog;
    if (!dialog) {
        dialog = new TOpenDataBaseDialog;
        DeleteAtExit(dialog);
    }
    return dialog;
}
