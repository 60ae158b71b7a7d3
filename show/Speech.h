// The narration voice: marked-up UTF-16 passages spoken in the background.
#pragma once

// Brings up the voice. The backend comes from GLOWMOTH_SPEECH ("live", the
// default; "silent"; "capture" or "capture:FILE.wav"). A voice that cannot
// start leaves speech empty, and speak then does nothing.
void startSpeech();

// Queues a zero-terminated, marked-up passage and returns at once. The text
// must stay valid until it has been spoken (the script's texts are constant).
void speak(const char16_t* text);

// Silences whatever is queued or speaking and releases the voice.
void stopSpeech();
