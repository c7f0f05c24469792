// X key symbols to the window layer's key codes.
#include <X11/keysym.h>

#include "surf/surf.h"
#include "surf/window_x11.h"

int surfKeyFromKeySym(KeySym sym) {
    if (sym >= XK_a && sym <= XK_z) return int('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z) return int('A' + (sym - XK_A));
    if (sym >= XK_0 && sym <= XK_9) return int('0' + (sym - XK_0));
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return int(SK_PAD0 + (sym - XK_KP_0));
    if (sym >= XK_F1 && sym <= XK_F12) return int(SK_F1 + (sym - XK_F1));
    switch (sym) {
        case XK_KP_Multiply:
            return SK_PADMUL;
        case XK_KP_Add:
            return SK_PADADD;
        case XK_KP_Enter:
            return SK_PADENTER;
        case XK_KP_Subtract:
            return SK_PADSUB;
        case XK_KP_Decimal:
            return SK_PADDOT;
        case XK_KP_Divide:
            return SK_PADDIV;
        case XK_BackSpace:
            return SK_BACKSPACE;
        case XK_Tab:
        case XK_ISO_Left_Tab:
            return SK_TAB;
        case XK_Return:
            return SK_RETURN;
        case XK_Shift_L:
            return SK_LSHIFT;
        case XK_Shift_R:
            return SK_RSHIFT;
        case XK_Control_L:
            return SK_LCONTROL;
        case XK_Control_R:
            return SK_RCONTROL;
        case XK_Alt_L:
        case XK_Meta_L:
            return SK_LALT;
        case XK_Alt_R:
        case XK_Meta_R:
        case XK_ISO_Level3_Shift:
            return SK_RALT;
        case XK_Pause:
            return SK_PAUSE;
        case XK_Caps_Lock:
            return SK_CAPSLOCK;
        case XK_Escape:
            return SK_ESCAPE;
        case XK_space:
            return SK_SPACE;
        case XK_Prior:
        case XK_KP_Prior:
            return SK_PAGEUP;
        case XK_Next:
        case XK_KP_Next:
            return SK_PAGEDN;
        case XK_End:
        case XK_KP_End:
            return SK_END;
        case XK_Home:
        case XK_KP_Home:
            return SK_HOME;
        case XK_Left:
        case XK_KP_Left:
            return SK_LEFT;
        case XK_Up:
        case XK_KP_Up:
            return SK_UP;
        case XK_Right:
        case XK_KP_Right:
            return SK_RIGHT;
        case XK_Down:
        case XK_KP_Down:
            return SK_DOWN;
        case XK_Insert:
        case XK_KP_Insert:
            return SK_INSERT;
        case XK_Delete:
        case XK_KP_Delete:
            return SK_DELETE;
        case XK_Super_L:
            return SK_LWIN;
        case XK_Super_R:
            return SK_RWIN;
        case XK_Num_Lock:
            return SK_NUMLOCK;
        case XK_Scroll_Lock:
            return SK_SCROLL;
        case XK_semicolon:
            return SK_SEMICOLON;
        case XK_equal:
            return SK_EQUALS;
        case XK_comma:
            return SK_COMMA;
        case XK_minus:
            return SK_MINUS;
        case XK_period:
            return SK_DOT;
        case XK_slash:
            return SK_SLASH;
        case XK_grave:
            return SK_BACKTICK;
        case XK_bracketleft:
            return SK_LSQUARE;
        case XK_backslash:
            return SK_BACKSLASH;
        case XK_bracketright:
            return SK_RSQUARE;
        case XK_apostrophe:
            return SK_TICK;
        default:
            return 0;
    }
}
