#pragma once

#include "engine/core/base/VXLString.h"

// One of the phone's cool sites as the settings keep it: the destination's
// id and caption, its menu icon and the icon's MIME type, and its button
// image and that image's type (both empty when it has none).
struct CVXLCoolSite {
    CVXLString id;
    CVXLString caption;
    CVXLString icon;
    CVXLString iconType;
    CVXLString button;
    CVXLString buttonType;
};
