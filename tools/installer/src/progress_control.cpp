#include "progress_control.h"

#include "ui/colors.h"
#include "ui/widgets.h"

void ProgressControl::operator()(UIToolkit& toolkit) const {
    toolkit.frame(Color::DARK);
    const auto fill = [](UIToolkit& t) { gui_draw_rect(&t.context(), t.peekNextLayout(), Color::DARK); };
    // An empty bar still shows a one-unit sliver: the row gives a zero share one unit.
    UI::Row{
        {fill, UI::Share(_position)},
        {UI::Spacer(), UI::Share(1.0f - _position)},
    }(toolkit);
}
