// Key codes to the record's key indices, which are the Win32 virtual-key codes
// of the same keys on every platform.
#include "surf/window_parts.h"

int surfVirtualKey(int key) {
    // SK_PAD0 .. SK_TICK in order.
    static const unsigned char named[SK_TICK - SK_PAD0 + 1] = {
        0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69,              // pad 0..9
        0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F,                                      // pad * + enter - . /
        0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B,  // F1..F12
        0x08, 0x09, 0x0D, 0x10, 0x11, 0x12, 0x13, 0x14, 0x1B, 0x20,              // backspace .. space
        0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E,              // page up .. delete
        0x5B, 0x5C, 0x90, 0x91,                                                  // windows keys, locks
        0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5,                                      // sided modifiers
        0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE,        // punctuation
    };
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return key;
    if (key >= SK_PAD0 && key <= SK_TICK) return named[key - SK_PAD0];
    return 0;
}

int surfKeyFromVirtualKey(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    for (int key = SK_PAD0; key <= SK_TICK; key++)
        if (surfVirtualKey(key) == vk) return key;
    return 0;
}
