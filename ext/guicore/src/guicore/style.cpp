#include "guicore/internal.h"

const gui_Style guicore_internal::default_style = {
    nullptr,   // font
    {68, 10},  // size
    5,         // padding
    4,         // spacing
    24,        // indent
    24,        // title_height
    12,        // scrollbar_size
    8,         // thumb_size
    {
        {230, 230, 230, 255},  // text
        {25, 25, 25, 255},     // border
        {50, 50, 50, 255},     // window background
        {25, 25, 25, 255},     // title background
        {240, 240, 240, 255},  // title text
        {0, 0, 0, 0},          // panel background
        {75, 75, 75, 255},     // button
        {95, 95, 95, 255},     // button hover
        {115, 115, 115, 255},  // button focus
        {30, 30, 30, 255},     // base
        {35, 35, 35, 255},     // base hover
        {40, 40, 40, 255},     // base focus
        {43, 43, 43, 255},     // scroll base
        {30, 30, 30, 255},     // scroll thumb
    },
};
