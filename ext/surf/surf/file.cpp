// Whole-file reading and loading images from disk.
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "surf/surf.h"

void* surfReadFile(const char* fileName, int* length) {
    *length = 0;
    FILE* f = fopen(fileName, "rb");
    if (!f) return nullptr;
    char* data = nullptr;
    long size = -1;
    if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
    // The length is reported as an int, and one byte more holds the terminator.
    if (size >= 0 && size < INT_MAX && fseek(f, 0, SEEK_SET) == 0) {
        data = (char*)malloc((size_t)size + 1);
        if (data && fread(data, 1, (size_t)size, f) == (size_t)size) {
            data[size] = 0;
            *length = (int)size;
        } else {
            free(data);
            data = nullptr;
        }
    }
    fclose(f);
    return data;
}

Surf* surfLoadImage(const char* fileName) {
    int length;
    void* data = surfReadFile(fileName, &length);
    if (!data) return nullptr;
    Surf* bmp = surfLoadImageMem(data, length);
    free(data);
    return bmp;
}
