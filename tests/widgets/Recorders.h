// Test doubles for the toolkit: a sprite, a font, a listener and a bank
// that write every call they get, with its arguments, into one shared log,
// so a test sees what was drawn or told and in which order.
#pragma once

#include "image/ImageBank.h"
#include "image/Sprite.h"
#include "widgets/BitmapFont.h"
#include "widgets/Component.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using Log = std::vector<std::string>;

inline std::string describeColour(const float* c)
{
    if (!c)
        return "none";
    char buf[96];
    std::snprintf(buf, sizeof buf, "%g,%g,%g,%g", c[0], c[1], c[2], c[3]);
    return buf;
}

class RecordingSprite : public Sprite {
public:
    RecordingSprite(const char* name, std::int32_t w, std::int32_t h, Log& log)
        : Sprite(w, h, 0, 0), name(name), log(log)
    {
    }

    void setFrameRange(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override { other("setFrameRange"); }
    void setClip(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override { other("setClip"); }
    void setDrawSize(float, float) override { other("setDrawSize"); }
    void setDrawSize(std::int32_t, std::int32_t) override { other("setDrawSize"); }
    void setFrameDelay(std::int32_t) override { other("setFrameDelay"); }
    void setAlpha(std::int32_t) override { other("setAlpha"); }

    // The toolkit draws through this form only.
    std::int32_t draw(std::int32_t frame, std::int32_t flags, float x, float y, const float* colour) override
    {
        char buf[160];
        std::snprintf(buf, sizeof buf, "%s draw frame=%d flags=%d at %g,%g colour %s", name, frame, flags, x, y,
                      describeColour(colour).c_str());
        log.push_back(buf);
        return 0;
    }
    std::int32_t draw(std::int32_t, std::int32_t, float, float, std::int32_t, std::int32_t, std::int32_t,
                      std::int32_t) override
    {
        return other("draw extended");
    }
    std::int32_t draw(std::int32_t, std::int32_t, float, float) override { return other("draw float"); }
    std::int32_t draw(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override
    {
        return other("draw four-integer");
    }
    std::int32_t draw(float, float) override { return other("draw two-float"); }
    std::int32_t draw(std::int32_t, std::int32_t) override { return other("draw two-integer"); }

private:
    std::int32_t other(const char* what)
    {
        log.push_back(std::string(name) + " " + what);
        return 0;
    }

    const char* name;
    Log& log;
};

// Every character is charWidthPixels wide; the line is lineHeight high.
class RecordingFont : public BitmapFont {
public:
    RecordingFont(Log& log, std::int32_t charWidthPixels = 8, std::int32_t lineHeight = 20,
                  const char* name = "recording", const char* set = nullptr)
        : BitmapFont(name, set), log(log), charWidthPixels(charWidthPixels)
    {
        height = lineHeight;
    }

    bool loadGlyphs() override { return false; }
    std::int32_t charWidth(unsigned char) override { return charWidthPixels; }
    std::int32_t textWidth(const char* text) override
    {
        return static_cast<std::int32_t>(std::strlen(text)) * charWidthPixels;
    }
    void drawText(float x, float y, std::int32_t alignment, const char* text, const float* colour) override
    {
        char buf[200];
        std::snprintf(buf, sizeof buf, "text '%s' at %g,%g align=%d colour %s", text, x, y, alignment,
                      describeColour(colour).c_str());
        log.push_back(buf);
    }
    void drawChar(float, float, unsigned char, const float*) override { log.push_back("drawChar"); }

    // Direct access to the base's fields for the glyph-release cases.
    void adoptGlyphs(Glyph** array) { glyphs = array; }
    void setLoaded() { loaded = true; }

private:
    Log& log;
    std::int32_t charWidthPixels;
};

class RecordingListener : public ComponentListener {
public:
    RecordingListener() = default;
    RecordingListener(const char* name, Log& log) : name(name), log(&log) {}
    void attach(const char* n, Log& l)
    {
        name = n;
        log = &l;
    }

    void componentAction(Component*) override { add("action"); }
    void componentPressed(Component*, std::int32_t px, std::int32_t py) override { add("pressed", px, py); }
    void componentReleased(Component*, std::int32_t px, std::int32_t py) override { add("released", px, py); }
    void componentDragged(Component*, std::int32_t px, std::int32_t py) override { add("dragged", px, py); }

private:
    void add(const char* what)
    {
        log->push_back(std::string(name) + " " + what);
    }
    void add(const char* what, std::int32_t px, std::int32_t py)
    {
        log->push_back(std::string(name) + " " + what + " " + std::to_string(px) + "," + std::to_string(py));
    }

    const char* name = "listener";
    Log* log = nullptr;
};

class RecordingBank : public ImageBank {
public:
    explicit RecordingBank(Log& log) : log(log) {}
    void beginDrawing() override { log.push_back("bank begin"); }
    void endDrawing() override { log.push_back("bank end"); }
    Image* load(const char*) override { return nullptr; }

private:
    Log& log;
};
