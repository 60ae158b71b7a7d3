// Start-up's fatal error report: a titled message on stderr and, when an X
// display is reachable, in a modal box that waits for the user.
#pragma once

// Receives each formatted report. Tests install their own so that nothing
// ever waits on a box.
using ErrorSink = void (*)(const char* title, const char* message);

// Installs a sink (null restores the default) and returns the previous one.
ErrorSink setErrorSink(ErrorSink sink);

// Formats printf-style into a 1024-byte buffer (longer messages are cut at
// 1023 characters) and hands title and message to the sink. Text that is not
// ours, such as SDL_GetError(), goes through "%s", never as the format.
void reportError(const char* title, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The default sink: title and message on stderr, then the box if a display
// can be opened. Returns when the box is dismissed, or at once without one.
void showErrorReport(const char* title, const char* message);
