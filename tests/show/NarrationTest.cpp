// The narration fits its slots: spoken by the show's voice at the script's
// rates, every passage ends before the next one is due (the credits before
// the end of the show), so the voice never queues behind itself and the
// words stay with their pictures.
#include "show/Script.h"
#include "show/Speech.h"
#include "show/SpeechBackend.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(Narration, EveryPassageIsSpokenInsideItsSlot) {
    std::uint32_t now = 0;
    CaptureSpeechBackend::Options options;
    options.clock = [&now] { return now; };
    options.synchronous = true;
    options.cutAtStop = false;
    auto backend = std::make_unique<CaptureSpeechBackend>(options);
    std::shared_ptr<const SpeechCapture> capture = backend->capture();
    ASSERT_TRUE(startSpeechWith(std::move(backend)));

    std::vector<std::uint32_t> due;
    std::uint32_t showEnd = 0;
    for (const ScriptEvent& row : showScript) {
        if (row.kind == ScriptEventKind::Speech) {
            now = row.time;
            speak(row.text);
            due.push_back(row.time);
        } else if (row.kind == ScriptEventKind::End) {
            showEnd = row.time;
        }
    }
    stopSpeech();

    ASSERT_EQ(capture->passages.size(), due.size());
    for (std::size_t i = 0; i < due.size(); ++i) {
        const CapturedPassage& p = capture->passages[i];
        const std::uint32_t slotEnd = i + 1 < due.size() ? due[i + 1] : showEnd;
        EXPECT_EQ(p.startMs, due[i]) << "passage " << i + 1 << " waited for the one before: " << p.words;
        EXPECT_LE(p.endMs, slotEnd) << "passage " << i + 1 << " overruns its slot by " << p.endMs - slotEnd
                                    << " ms: " << p.words;
    }
}

// show/NARRATION.md is what `make narration` writes for the script as it
// stands: words changed without regenerating it fail here.
TEST(Narration, TheTimingTableIsCurrent) {
    const std::string command = std::string(GLOWMOTH_SOURCE_DIR "/scripts/narration-table.sh ") + GLOWMOTH_BINARY_DIR;
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string generated;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        generated.append(buffer, n);
    }
    EXPECT_EQ(pclose(pipe), 0) << generated;

    std::ifstream file(GLOWMOTH_SOURCE_DIR "/show/NARRATION.md");
    ASSERT_TRUE(file);
    std::ostringstream committed;
    committed << file.rdbuf();
    EXPECT_EQ(generated, committed.str()) << "run `make narration` and commit show/NARRATION.md";
}

}  // namespace
