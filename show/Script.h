// The show itself: the fixed timeline the presentation plays, 41 events over
// 179 seconds, with the narration's marked-up passages.
#pragma once

#include <SDL/SDL.h>

#include <cstddef>

enum class ScriptEventKind { Speech, Picture, End };

struct ScriptEvent {
    Uint32 time;             // ms of show time
    ScriptEventKind kind;
    int picture;             // 1..19, for a picture event
    const char16_t* text;    // the passage, for a speech event
};

constexpr std::size_t scriptEventCount = 41;

// In timeline order (non-decreasing times). Passages are zero-terminated
// UTF-16 with rate, pitch and silence tags; the voice keeps a tag's setting
// in force for the passages after it.
extern const ScriptEvent showScript[scriptEventCount];
