#pragma once
// The layout view of the main data panel is the designer panel.
#include "reports/Fvktpreview.h"
