// The master-data dialog's class page on a class tree of 5 000 classes, against the plain
// TVDBClass listing of the classes with a plain QTreeWidget filled and painted: opening on the
// class tab (bind, tree, lists, first paint), renaming a class (the write and the reactions of the
// page and the side navigator; a tree reload fails the run), adding a child class (likewise), and
// moving a class with a 500-class sub-tree down and up (the write and the page's reload). On the
// generated 100 000-record database, idle passes with nothing changed ask no lookup (counted).
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "PlainSqlite.h"

#include "data/Uvktdbstruct.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "dialogs/Fothereditdialog.h"
#include "richtext/Exview.h"
#include "screens/Fclasseditpanel.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassunitsedit.h"
#include "screens/Fclassview.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QTreeWidget>
#include <QWindow>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using F = TVktField;

constexpr int kBranches = 10;   // below the ingredient family
constexpr int kGroups = 10;     // per branch
constexpr int kLeaves = 49;     // per group: a branch and its sub-tree are 501 classes

std::string Hex2(int value)
{
    static const char digits[] = "0123456789ABCDEF";
    return {digits[(value >> 4) & 15], digits[value & 15]};
}

// A new database whose ingredient family holds kBranches × (1 + kGroups × (1 + kLeaves)) more
// classes, written with plain SQLite; the object opened on it.
class ClassTreeDatabase {
public:
    ClassTreeDatabase()
    {
        // In memory where there is such a folder, as the generated database is.
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
        folder_ = (base / ("vkt-otheredit-bench-" + std::to_string(QCoreApplication::applicationPid()))).string();
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        registry_ = std::make_unique<TVktApplication>();
        if (!registry_->CreateDatabase("分類ベンチ", folder_)) throw std::runtime_error("No database made");
        {
            bench::PlainDb db(folder_ + "/vektara.db");
            db.Exec("begin");
            const std::string table = GetTableFileName(TVktTable::TblClass);
            bench::PlainStmt maxId(db, "select max(Class_ID) from " + table);
            maxId.Step();
            int id = static_cast<int>(maxId.Int(0));
            bench::PlainStmt insert(db, "insert into " + table +
                                            " (Class_ID, TreeID, ClassType, Class, Class2, Icon_Key) values (?, ?, 1, ?, ?, 5)");
            const auto add = [&](const std::string& tree, const std::string& name) {
                ++id;
                const std::string french = "Classe " + std::to_string(id);
                insert.Reset();
                insert.Bind(1, id).Bind(2, tree).Bind(3, name).Bind(4, french);
                insert.Step();
                return id;
            };
            for (int b = 0; b < kBranches; ++b) {
                const std::string branch = "20000" + Hex2(0x20 + b);
                const int branchId = add(branch, "ベンチ分類" + std::to_string(b));
                if (b == 0) moved_ = branchId;
                for (int g = 0; g < kGroups; ++g) {
                    const std::string group = branch + Hex2(g);
                    const int groupId = add(group, "群" + std::to_string(b) + "-" + std::to_string(g));
                    if (b == 1 && g == 0) renamed_ = groupId;
                    for (int l = 0; l < kLeaves; ++l) add(group + Hex2(l), "分類" + std::to_string(id + 1));
                }
            }
            db.Exec("commit");
        }
        object_ = registry_->GetObject("分類ベンチ");
        object_->AddRef();
    }
    ~ClassTreeDatabase()
    {
        object_->Release();
        registry_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    TVktObject& Object() const { return *object_; }
    // A branch with a 500-class sub-tree, and a group class that has a next sibling.
    int Moved() const { return moved_; }
    int Renamed() const { return renamed_; }

private:
    std::string folder_;
    std::unique_ptr<TVktApplication> registry_;
    TVktObject* object_ = nullptr;
    int moved_ = 0;
    int renamed_ = 0;
};

ClassTreeDatabase& Classes()
{
    static ClassTreeDatabase database;
    return database;
}

void WaitExposed(QWidget& widget)
{
    widget.show();
    QElapsedTimer waited;
    waited.start();
    while (!(widget.windowHandle() && widget.windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void Paint(QTreeWidget* tree) { tree->viewport()->repaint(); }

// The dialog with the side navigator beside it, as the main window has it.
struct Screen {
    explicit Screen(bool withNavigator = true)
    {
        WaitExposed(dialog);
        navigator.resize(260, 600);
        if (withNavigator) navigator.SetVktObject(&Classes().Object());
    }
    ~Screen()
    {
        dialog.SetDataObject(nullptr);
        navigator.SetVktObject(nullptr);
    }
    void Open()
    {
        dialog.SetDataObject(&Classes().Object());
        dialog.SetTab(TOtherEditDialog::tbClass);
        Paint(Page()->GetClassView()->GetClassTree());
    }
    TClassUnitsEdit* Page() const { return dialog.GetClassUnitsEdit(); }
    void CheckNoReload(int loads) const
    {
        if (Page()->GetTreeLoadCount() != loads) throw std::runtime_error("The class tree was reloaded");
    }

    TOtherEditDialog dialog;
    TClassFilterView navigator{nullptr};
};

void ClassListingQtTree(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = Classes().Object();
        QTreeWidget tree;
        tree.resize(200, 400);
        WaitExposed(tree);
        for (auto _ : state) {
            TVDBClass reader(&object);
            TFilterObject filter;
            for (int type = 1; type <= 3; ++type) filter.Add(F::ClassType, foEqual, type, {});
            reader.BeginUpdate();
            reader.SetFilter(filter);
            reader.EndUpdate();
            if (!reader.GetListed()) reader.Refresh();
            tree.clear();
            for (int row = 0; row < reader.GetRowCount(); ++row) {
                reader.SetRowIndex(row);
                auto* item = new QTreeWidgetItem(&tree);
                item->setText(0, QString::fromStdString(reader.GetClass()));
                item->setData(0, Qt::UserRole, reader.GetClassID());
            }
            Paint(&tree);
        }
    });
}

void OtherEditOpenClasses(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        Screen screen;
        for (auto _ : state) {
            state.PauseTiming();
            screen.dialog.SetDataObject(nullptr);
            state.ResumeTiming();
            screen.Open();
        }
    });
}

void OtherEditRenameClass(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        Screen screen;
        screen.Open();
        const int loads = screen.Page()->GetTreeLoadCount();
        screen.Page()->GetClassView()->SelectID(Classes().Renamed());
        TClassEditPanel* editor = screen.Page()->GetClassEditPanel();
        int turn = 0;
        for (auto _ : state) {
            state.PauseTiming();
            // As typed into the name editor: entering it, then a new text.
            QFocusEvent enter(QEvent::FocusIn, Qt::MouseFocusReason);
            QCoreApplication::sendEvent(editor->GetNameEdit(), &enter);
            editor->GetNameEdit()->SetText("改名" + std::to_string(++turn));
            if (editor->GetNameEdit()->OnChange) editor->GetNameEdit()->OnChange(editor->GetNameEdit());
            state.ResumeTiming();
            editor->ApplyEdit();
            Paint(screen.Page()->GetClassView()->GetClassTree());
        }
        if (screen.Page()->GetClassView()->GetNodeText(screen.Page()->GetClassView()->FindNode(Classes().Renamed())) !=
            "改名" + std::to_string(turn))
            throw std::runtime_error("The rename did not reach the tree");
        screen.CheckNoReload(loads);
    });
}

void OtherEditNewChild(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        Screen screen;
        screen.Open();
        const int loads = screen.Page()->GetTreeLoadCount();
        for (auto _ : state) {
            state.PauseTiming();
            screen.Page()->GetClassView()->SelectID(Classes().Renamed());
            state.ResumeTiming();
            screen.Page()->ClassEditPanelBtnChildNewClick();
            Paint(screen.Page()->GetClassView()->GetClassTree());
        }
        screen.CheckNoReload(loads);
    });
}

void OtherEditMoveSubTree(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        Screen screen(false);
        screen.Open();
        screen.Page()->GetClassView()->SelectID(Classes().Moved());
        bool down = true;
        for (auto _ : state) {
            if (down) screen.Page()->ClassEditPanelBtnDownClick();
            else screen.Page()->ClassEditPanelBtnUpClick();
            down = !down;
            Paint(screen.Page()->GetClassView()->GetClassTree());
        }
        if (screen.Page()->GetClassView()->GetSelectedID() != Classes().Moved())
            throw std::runtime_error("The moved class is no longer selected");
    });
}

void OtherEditIdlePasses(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TOtherEditDialog dialog;
        WaitExposed(dialog);
        dialog.SetDataObject(&bench::GuiBenchObject());
        dialog.SetTab(TOtherEditDialog::tbClass);
        dialog.UpdateActions();
        const int lookups = dialog.GetLookupCount();
        for (auto _ : state) dialog.UpdateActions();
        if (dialog.GetLookupCount() != lookups) throw std::runtime_error("An idle pass asked the database");
        dialog.SetDataObject(nullptr);
    });
}

} // namespace

BENCHMARK(ClassListingQtTree)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OtherEditOpenClasses)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OtherEditRenameClass)->Unit(benchmark::kMillisecond)->UseRealTime();
// A class holds 256 children: the run is capped so that repetitions never fill it.
BENCHMARK(OtherEditNewChild)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);
BENCHMARK(OtherEditMoveSubTree)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OtherEditIdlePasses)->Unit(benchmark::kMicrosecond)->UseRealTime();

VKT_BENCH_RATIO(OtherEditOpenClasses, ClassListingQtTree, 1.5);
VKT_BENCH_RATIO(OtherEditRenameClass, OtherEditOpenClasses, 0.1);
VKT_BENCH_RATIO(OtherEditNewChild, OtherEditOpenClasses, 0.1);
VKT_BENCH_RATIO(OtherEditMoveSubTree, ClassListingQtTree, 1.5);
