#include "reports/Fvktitempropertyex.h"

#include "reports/Fvktdataproperty.h"
#include "reports/Fvktdatalistproperty.h"
#include "reports/Fvktgridproperty.h"
#include "reports/Fvktmenuproperty.h"
#include "reports/Fvktrecipeproperty.h"
#include "reports/Fvkttopcontainerproperty.h"
#include "reports/Uvktcontainertypes.h"

TVktItemPropertyEx::TVktItemPropertyEx(QWidget* parent) : TPreviewItemPropertyEx(parent)
{
    setObjectName("VktItemPropertyEx");
}

TContainerProperty* TVktItemPropertyEx::GetPage(int type)
{
    if (type < ctVktDataList || type > ctVktChart) return TPreviewItemPropertyEx::GetPage(type);
    TContainerProperty*& page = vktPages_[static_cast<std::size_t>(type - ctVktDataList)];
    if (!page) {
        switch (type) {
        case ctVktDataList: page = new TVktDataListProperty(this); break;
        case ctVktRecipe: page = new TVktRecipeProperty(this); break;
        case ctVktMenu: page = new TVktMenuProperty(this); break;
        case ctVktBaseContainer: page = new TVktTopContainerProperty(this); break;
        case ctVktContainer: page = new TVktContainerProperty(this); break;
        case ctVktField: page = new TVktFieldProperty(this); break;
        case ctVktMemo: page = new TVktMemoProperty(this); break;
        case ctVktImage: page = new TVktImageProperty(this); break;
        case ctVktGrid: page = new TVktGridProperty(this); break;
        default: page = new TVktChartProperty(this); break;
        }
        Adopt(page);
    }
    return page;
}
