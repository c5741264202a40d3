#pragma once
// Colour of a hue, saturation and brightness.
#include "platform/Color.h"

// The scale of saturation and brightness: full saturation and full brightness equal it (100).
// Values below 2 count as 2.
extern int _HSBOfSBRate;

// Hue in degrees (taken modulo 360; a negative hue counts from 360 down), saturation and
// brightness on the _HSBOfSBRate scale. Saturation 0 gives grey 128 before brightness is applied;
// half the scale of brightness keeps the colour, 0 gives black and the full scale white. Each
// channel is cut to 0..255.
platform::TColor HSBToRGB(int hue, int saturation, int brightness);
