#pragma once
// TVktItemPropertyEx: the property area of the layout designer. To the pages of the generic
// host it adds those of the database layout types 8 to 17, each made on first use and kept.
#include "reports/Fpreviewitempropertyex.h"

#include <array>

class TVktItemPropertyEx : public TPreviewItemPropertyEx {
    Q_OBJECT
public:
    explicit TVktItemPropertyEx(QWidget* parent = nullptr);

protected:
    TContainerProperty* GetPage(int type) override;

private:
    // Indexed by type code − 8.
    std::array<TContainerProperty*, 10> vktPages_{};
};
