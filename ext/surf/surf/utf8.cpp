// UTF-8 decoding and encoding, one character at a time.
#include "surf/surf.h"

static const int kReplacement = 0xFFFD;

const char* surfDecodeUTF8(const char* text, int* cp) {
    const unsigned char* p = (const unsigned char*)text;
    unsigned lead = *p++;
    if (lead < 0x80) {
        *cp = (int)lead;
        return (const char*)p;
    }
    if (lead < 0xC0) {  // a continuation byte without a lead
        *cp = kReplacement;
        return (const char*)p;
    }
    int extra = lead < 0xE0 ? 1 : (lead < 0xF0 ? 2 : 3);
    static const unsigned leadMask[] = {0, 0x1F, 0x0F, 0x07};
    static const unsigned minimum[] = {0, 0x80, 0x800, 0x10000};
    unsigned value = lead & leadMask[extra];
    for (int i = 0; i < extra; i++) {
        unsigned c = *p++;
        if ((c & 0xC0) != 0x80) {  // also stops at the terminating zero
            *cp = kReplacement;
            return c ? (const char*)p : (const char*)p - 1;
        }
        value = (value << 6) | (c & 0x3F);
    }
    *cp = value < minimum[extra] ? kReplacement : (int)value;
    return (const char*)p;
}

char* surfEncodeUTF8(char* text, int cp) {
    unsigned c = (unsigned)cp;
    if (c >= 0x110000) c = kReplacement;
    unsigned char* p = (unsigned char*)text;
    if (c < 0x80) {
        *p++ = (unsigned char)c;
    } else if (c < 0x800) {
        *p++ = (unsigned char)(0xC0 | (c >> 6));
        *p++ = (unsigned char)(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *p++ = (unsigned char)(0xE0 | (c >> 12));
        *p++ = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
        *p++ = (unsigned char)(0x80 | (c & 0x3F));
    } else {
        *p++ = (unsigned char)(0xF0 | (c >> 18));
        *p++ = (unsigned char)(0x80 | ((c >> 12) & 0x3F));
        *p++ = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
        *p++ = (unsigned char)(0x80 | (c & 0x3F));
    }
    return (char*)p;
}
