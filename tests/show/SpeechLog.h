// A voice for tests: every passage handed to speak is noted with the show
// clock and the picture on screen at that moment, and nothing is spoken.
#pragma once

#include "app/Application.h"
#include "show/Presentation.h"
#include "show/Speech.h"
#include "show/SpeechBackend.h"

#include <memory>
#include <string>
#include <vector>

namespace showtest {

struct SpokenPassage {
    std::u16string text;
    Uint32 showClock = 0;                  // the presentation's clock when handed over
    const Image* pictureWhenSpoken = nullptr;  // its current picture at that moment
};

class SpeechLog {
public:
    SpeechLog() : log(std::make_shared<std::vector<SpokenPassage>>()) {
        startSpeechWith(std::make_unique<Recorder>(log));
    }
    ~SpeechLog() { stopSpeech(); }
    SpeechLog(const SpeechLog&) = delete;
    SpeechLog& operator=(const SpeechLog&) = delete;

    const std::vector<SpokenPassage>& passages() const { return *log; }

private:
    class Recorder : public SpeechBackend {
    public:
        explicit Recorder(std::shared_ptr<std::vector<SpokenPassage>> log) : log(std::move(log)) {}
        bool open() override { return true; }
        void speak(const char16_t* text) override {
            SpokenPassage passage;
            passage.text = text;
            Application* app = currentApplication();
            auto* show = app ? dynamic_cast<Presentation*>(app->currentScene()) : nullptr;
            if (show) {
                passage.showClock = show->getClock();
                passage.pictureWhenSpoken = show->getCurrentPicture();
            }
            log->push_back(passage);
        }
        void stop() override {}

    private:
        std::shared_ptr<std::vector<SpokenPassage>> log;
    };

    std::shared_ptr<std::vector<SpokenPassage>> log;
};

}  // namespace showtest
