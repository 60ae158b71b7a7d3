// TEMPORARY: stands in for the speech layer until glowmoth_speech exists, so
// that the program links and starts. Delete this file once it does.
#include "show/Speech.h"

void startSpeech() {}
void speak(const char16_t*) {}
void stopSpeech() {}
