#include "reports/Fvktitempropertyex.h"

#include "reports/Fvktdataproperty.h"
#include "reports/Fvktdatalistproperty.h"
#include "reports/Fvktgridproperty.h"
#include "reports/Fvktmenuproperty.h"
#include "reports/Fvktrecipeproperty.h"
#include "reports/Fvkttopcontainerproperty.h"

TVktItemPropertyEx::TVktItemPropertyEx(QWidget* parent) : TPreviewItemPropertyEx(parent)
{
    setObjectName("VktItemPropertyEx");
}

TContainerProperty* TVktItemPropertyEx::GetPage(int type)
{
    if (type < 8 || type > 17) return TPreviewItemPropertyEx::GetPage(type);
    TContainerProperty*& page = vktPages_[static_cast<std::size_t>(type - 8)];
    if (!page) {
        switch (type) {
        case 8: page = new TVktDataListProperty(this); break;
        case 9: page = new TVktRecipeProperty(this); break;
        case 10: page = new TVktMenuProperty(this); break;
        case 11: page = new TVktTopContainerProperty(this); break;
        case 12: page = new TVktContainerProperty(this); break;
        case 13: page = new TVktFieldProperty(this); break;
        case 14: page = new TVktMemoProperty(this); break;
        case 15: page = new TVktImageProperty(this); break;
        case 16: page = new TVktGridProperty(this); break;
        default: page = new TVktChartProperty(this); break;
        }
        Adopt(page);
    }
    return page;
}
