// Fatal errors of the window layer: the message goes to standard error and,
// where the window system can show one, into a message window; then the
// process ends with status 1.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "surf/window_backend.h"

void surfError(Surf* bmp, const char* format, ...) {
  char message[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof message, format, args);
  va_end(args);

  fflush(stdout);
  size_t length = strlen(message);
  fprintf(stderr, "%s%s", message, length && message[length - 1] == '\n' ? "" : "\n");
  bool window = bmp && bmp->handle;
  surfPlatformMessageBox(window ? bmp : nullptr, window ? surfInternal(bmp)->wtitle : "Error", message);
  exit(1);
}
