// The layout view of a record-card report over the sample database: four cards per page with the
// record's name, French name, use price and unit, memo and picture, and the database's name above.
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "platform/Bitmap.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktimagecontainer.h"
#include "reports/Uvktmemocontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "screens/Fdataview.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"

#include <QVBoxLayout>

#include <memory>

namespace {

using F = TVktField;

platform::Picture Tile(int w, int h)
{
    platform::Picture picture(w, h, platform::RgbColor(250, 240, 220));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < w * h / 6)
                picture.SetPixel(x, y, platform::RgbColor(200, 60 + y * 2, 40));
    return picture;
}

class SnapReportView : public QWidget {
public:
    SnapReportView() : db_(std::make_unique<vkttest::SampleDatabase>())
    {
        resize(560, 760);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        preview_ = new TPreview(this);
        layout->addWidget(preview_);
        binding_ = std::make_unique<TVktLayoutBinding>(preview_);

        TVktObject& object = db_->Object();
        const TPriorityItem potato = TPriorityItem() << db_->Record("じゃがいも");
        object.EditData(F::Memo, platform::Variant(std::string(
            "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 MS Gothic;}}\\f0\\fs20 \\'97\\'e2\\'88\\'c3\\'8f\\'8a\\'82\\'c5\\'95\\'db\\'8a\\'c7\\'81\\'42\\'89\\'e8\\'82\\'cd\\'8e\\'e6\\'82\\'e8\\'8f\\'9c\\'82\\'ad\\'81\\'42}")),
                        potato);
        object.EditData(F::Image, platform::Variant(platform::EncodeBmp(Tile(48, 36))), potato);
        object.EditData(F::Image, platform::Variant(platform::EncodeBmp(Tile(40, 40))),
                        TPriorityItem() << db_->Record("人参"));
        binding_->SetFilter(DefaultSelectionFilter());
        binding_->Attach(&object);
        Card();
        preview_->SetSelected(nullptr);
        preview_->SetShowItemMargin(false);
        preview_->DrawFullPage();
    }
    ~SnapReportView() override
    {
        binding_->Detach();
        preview_->Clear();
        binding_.reset();
    }

private:
    // `mm` relative to the parent's top left corner.
    TContainer* Add(int type, TContainer* parent, TRect mm)
    {
        if (parent) {
            const TRect p = parent->GetViewItem()->GetMMBoundRect_();
            mm = {mm.Left + p.Left, mm.Top + p.Top, mm.Right + p.Left, mm.Bottom + p.Top};
        }
        preview_->SetSelected(parent ? parent->GetViewItem() : nullptr);
        TViewItem* item = preview_->AddContainer(type);
        item->SetMMBoundRect_(mm);
        return ContainerOf(item);
    }

    void Card()
    {
        auto* top = static_cast<TVktTopContainer*>(Add(11, nullptr, {1500, 1500, 19500, 28200}));
        TAccessFieldStruct sort;
        sort.GetFields() << ToInt(F::Data);
        sort.GetOrders() << 1;
        top->SetAccessFields(sort);
        top->SetPageDataCount(4);
        top->SetFontName2("ＭＳ Ｐ明朝");
        auto* title = static_cast<TVktFieldContainer*>(Add(13, top, {0, 0, 18000, 1200}));
        title->SetFontSize(160);
        for (int slot = 1; slot <= 4; ++slot) {
            const int y = 1600 + (slot - 1) * 6300;
            auto* card = static_cast<TVktContainer*>(Add(12, top, {0, y, 18000, y + 6000}));
            card->SetGraphicType(2);
            card->SetRoundSize({40, 40});
            card->SetBrushColor(0xFFF8EE);
            card->SetPageDataIndex(slot);
            auto field = [&](TVktField f, TRect mm, int size) {
                auto* c = static_cast<TVktFieldContainer*>(Add(13, card, mm));
                c->SetField(ToInt(f));
                c->SetFontSize(size);
            };
            field(F::Data, {500, 300, 9000, 1300}, 140);
            field(F::Data2, {500, 1400, 9000, 2200}, 100);
            field(F::UsePrice, {500, 2400, 4000, 3200}, 100);
            field(F::UseUnit, {4200, 2400, 6000, 3200}, 100);
            Add(14, card, {500, 3400, 11000, 5700});
            auto* picture = static_cast<TVktImageContainer*>(Add(15, card, {12000, 400, 17500, 5600}));
            picture->SetDrawType(idtCenter);
        }
    }

    std::unique_ptr<vkttest::SampleDatabase> db_;
    TPreview* preview_ = nullptr;
    std::unique_ptr<TVktLayoutBinding> binding_;
};

} // namespace

VKT_SNAPSHOT(reports_record_cards) { return new SnapReportView; }
