#include "app/ErrorReport.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

ErrorSink currentSink = showErrorReport;

// A small dialog of our own: the title as caption, the message's lines, and
// one OK button. Only Xlib, because start-up may have failed before SDL (or
// anything else that draws) is usable.
class ErrorBox {
public:
    ErrorBox(Display* display, const char* title, const char* message)
        : display(display) {
        splitLines(message);
        font = XLoadQueryFont(display, "fixed");
        const int screen = DefaultScreen(display);
        lineHeight = font ? font->ascent + font->descent : 13;
        int textWidth = 0;
        for (const std::string& line : lines) {
            textWidth = std::max(textWidth, measure(line));
        }
        width = std::max(textWidth + 2 * margin, 240);
        buttonWidth = 80;
        buttonHeight = lineHeight + 12;
        height = margin + static_cast<int>(lines.size()) * lineHeight + margin + buttonHeight + margin;
        buttonX = (width - buttonWidth) / 2;
        buttonY = height - margin - buttonHeight;

        const int x = std::max(0, (DisplayWidth(display, screen) - width) / 2);
        const int y = std::max(0, (DisplayHeight(display, screen) - height) / 2);
        window = XCreateSimpleWindow(display, RootWindow(display, screen), x, y,
                                     static_cast<unsigned>(width), static_cast<unsigned>(height), 1,
                                     BlackPixel(display, screen), WhitePixel(display, screen));
        XStoreName(display, window, title);

        XSizeHints* hints = XAllocSizeHints();
        if (hints) {
            hints->flags = PPosition | PMinSize | PMaxSize;
            hints->x = x;
            hints->y = y;
            hints->min_width = hints->max_width = width;
            hints->min_height = hints->max_height = height;
            XSetWMNormalHints(display, window, hints);
            XFree(hints);
        }
        deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, window, &deleteWindow, 1);
        setAtomProperty("_NET_WM_WINDOW_TYPE", {"_NET_WM_WINDOW_TYPE_DIALOG"});
        setAtomProperty("_NET_WM_STATE", {"_NET_WM_STATE_MODAL", "_NET_WM_STATE_ABOVE"});

        XSelectInput(display, window,
                     ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
        gc = XCreateGC(display, window, 0, nullptr);
        if (font) {
            XSetFont(display, gc, font->fid);
        }
        XSetForeground(display, gc, BlackPixel(display, screen));
    }

    ~ErrorBox() {
        XFreeGC(display, gc);
        if (font) {
            XFreeFont(display, font);
        }
        XDestroyWindow(display, window);
        XFlush(display);
    }

    // Returns when the user presses OK, Enter or Escape or closes the box.
    void wait() {
        XMapRaised(display, window);
        bool pressedOnButton = false;
        for (;;) {
            XEvent event;
            XNextEvent(display, &event);
            switch (event.type) {
            case MapNotify:
                // Without a window manager nobody else gives the box the
                // keyboard, and Enter or Escape would go nowhere.
                XSetInputFocus(display, window, RevertToParent, CurrentTime);
                break;
            case Expose:
                if (event.xexpose.count == 0) {
                    paint();
                }
                break;
            case KeyPress: {
                const KeySym key = XLookupKeysym(&event.xkey, 0);
                if (key == XK_Return || key == XK_KP_Enter || key == XK_Escape) {
                    return;
                }
                break;
            }
            case ButtonPress:
                pressedOnButton = onButton(event.xbutton.x, event.xbutton.y);
                break;
            case ButtonRelease:
                if (pressedOnButton && onButton(event.xbutton.x, event.xbutton.y)) {
                    return;
                }
                pressedOnButton = false;
                break;
            case ClientMessage:
                if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
                    return;
                }
                break;
            case DestroyNotify:
                return;
            default:
                break;
            }
        }
    }

private:
    void splitLines(const char* message) {
        const char* start = message;
        for (const char* p = message;; ++p) {
            if (*p == '\n' || *p == '\0') {
                lines.emplace_back(start, static_cast<std::size_t>(p - start));
                if (*p == '\0') {
                    break;
                }
                start = p + 1;
            }
        }
    }

    int measure(const std::string& text) const {
        if (font) {
            return XTextWidth(font, text.c_str(), static_cast<int>(text.size()));
        }
        return static_cast<int>(text.size()) * 6;
    }

    int baseline() const { return font ? font->ascent : 10; }

    bool onButton(int x, int y) const {
        return x >= buttonX && x < buttonX + buttonWidth && y >= buttonY && y < buttonY + buttonHeight;
    }

    void setAtomProperty(const char* property, std::initializer_list<const char*> values) {
        std::vector<Atom> atoms;
        for (const char* value : values) {
            atoms.push_back(XInternAtom(display, value, False));
        }
        XChangeProperty(display, window, XInternAtom(display, property, False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(atoms.data()),
                        static_cast<int>(atoms.size()));
    }

    void paint() {
        XClearWindow(display, window);
        int y = margin + baseline();
        for (const std::string& line : lines) {
            XDrawString(display, window, gc, margin, y, line.c_str(), static_cast<int>(line.size()));
            y += lineHeight;
        }
        XDrawRectangle(display, window, gc, buttonX, buttonY, static_cast<unsigned>(buttonWidth),
                       static_cast<unsigned>(buttonHeight));
        XDrawRectangle(display, window, gc, buttonX + 2, buttonY + 2, static_cast<unsigned>(buttonWidth - 4),
                       static_cast<unsigned>(buttonHeight - 4));
        const std::string ok = "OK";
        XDrawString(display, window, gc, buttonX + (buttonWidth - measure(ok)) / 2,
                    buttonY + (buttonHeight - lineHeight) / 2 + baseline(), ok.c_str(),
                    static_cast<int>(ok.size()));
        XFlush(display);
    }

    static constexpr int margin = 16;
    Display* display;
    std::vector<std::string> lines;
    XFontStruct* font = nullptr;
    Window window = 0;
    GC gc = nullptr;
    Atom deleteWindow = 0;
    int lineHeight = 0;
    int width = 0;
    int height = 0;
    int buttonX = 0;
    int buttonY = 0;
    int buttonWidth = 0;
    int buttonHeight = 0;
};

}  // namespace

ErrorSink setErrorSink(ErrorSink sink) {
    ErrorSink previous = currentSink;
    currentSink = sink ? sink : showErrorReport;
    return previous;
}

void reportError(const char* title, const char* format, ...) {
    char message[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    currentSink(title, message);
}

void showErrorReport(const char* title, const char* message) {
    std::fprintf(stderr, "%s\n%s\n", title, message);
    std::fflush(stderr);

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return;
    }
    {
        ErrorBox box(display, title, message);
        box.wait();
    }
    XCloseDisplay(display);
}
