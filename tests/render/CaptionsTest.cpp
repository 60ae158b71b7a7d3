#include "tools/render/Captions.h"

#include <gtest/gtest.h>

namespace {

TEST(WrapText, BreaksAtBlanksWithinTheLimit)
{
    const std::string text = "The quick brown fox jumps over the lazy dog and keeps on running far away";
    const std::vector<std::string> lines = wrapText(text);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "The quick brown fox jumps over the lazy");  // 39; "dog" would make 43
    EXPECT_EQ(lines[1], "dog and keeps on running far away");
    for (const std::string& line : lines) EXPECT_LE(characterCount(line), kCaptionLineLength);
}

TEST(WrapText, ExactlyFortyTwoCharactersFitOnOneLine)
{
    const std::string exact = std::string(20, 'a') + " " + std::string(21, 'b');
    ASSERT_EQ(exact.size(), 42u);
    EXPECT_EQ(wrapText(exact), std::vector<std::string>{exact});
    EXPECT_EQ(wrapText(exact + "c").size(), 2u);
}

TEST(WrapText, CountsCharactersNotBytes)
{
    // 42 two-byte characters with a blank: one line although 83 bytes long.
    std::string word;
    for (int i = 0; i < 20; ++i) word += "\xc3\xa9";
    const std::string text = word + " " + word + "\xc3\xa9";
    EXPECT_EQ(characterCount(text), 42u);
    EXPECT_EQ(wrapText(text).size(), 1u);
}

TEST(WrapText, MalformedUtf8IsCountedAsItIsCut)
{
    // A truncated sequence ("\xe2\x80" then 'x') and a stray continuation
    // byte are characters of their own: no line may exceed the limit.
    const std::string word = std::string(36, 'x') + "\xe2\x80" + std::string(10, 'x') + "\x80" + std::string(10, 'y');
    EXPECT_EQ(characterCount(word), 36u + 1 + 10 + 1 + 10);
    const std::vector<std::string> lines = wrapText(word);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(characterCount(lines[0]), 42u);
    EXPECT_EQ(lines[0] + lines[1], word);
}

TEST(WrapText, CutsWordsLongerThanALine)
{
    const std::string longWord(100, 'x');
    const std::vector<std::string> lines = wrapText("a " + longWord + " b");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[1], std::string(42, 'x'));
    EXPECT_EQ(lines[2], std::string(42, 'x'));
    EXPECT_EQ(lines[3], std::string(16, 'x') + " b");
}

TEST(WrapText, NothingToWrap)
{
    EXPECT_TRUE(wrapText("").empty());
    EXPECT_TRUE(wrapText("    ").empty());
}

TEST(CaptionBlocks, CuesEndAtSentencesWhereTheyCan)
{
    using Blocks = std::vector<std::vector<std::string>>;
    // Short sentences share a cue while they fit in two lines.
    EXPECT_EQ(captionBlocks("Lean in. Closer. Nearer."), (Blocks{{"Lean in. Closer. Nearer."}}));
    // A sentence that would spill into a third line starts the next cue
    // rather than being split across two.
    EXPECT_EQ(captionBlocks("Demos have never been kind to disabled people. They flash, they boom, and they never "
                            "ask who was left outside. We are tired of that."),
              (Blocks{{"Demos have never been kind to disabled", "people."},
                      {"They flash, they boom, and they never ask", "who was left outside."},
                      {"We are tired of that."}}));
    EXPECT_EQ(captionBlocks("If you cannot see, the door is shut. If you cannot hear, it is shut, and bolted. "
                            "Eyes optional."),
              (Blocks{{"If you cannot see, the door is shut. If", "you cannot hear, it is shut, and bolted."},
                      {"Eyes optional."}}));
    // A sentence longer than a cue fills whole cues; its tail shares the
    // next cue with the sentence after it.
    EXPECT_EQ(captionBlocks("One. Two three four five six seven eight nine ten eleven twelve thirteen fourteen "
                            "fifteen sixteen seventeen. Done."),
              (Blocks{{"One."},
                      {"Two three four five six seven eight nine", "ten eleven twelve thirteen fourteen"},
                      {"fifteen sixteen seventeen. Done."}}));
    // Punctuation inside a word or before a quote is handled.
    EXPECT_EQ(captionBlocks("He said \"stop.\" Then 3.5 seconds passed."),
              (Blocks{{"He said \"stop.\" Then 3.5 seconds passed."}}));
    EXPECT_TRUE(captionBlocks("").empty());
    for (const auto& block : captionBlocks(std::string(200, 'x') + ". " + std::string(50, 'y'))) {
        EXPECT_LE(block.size(), kCaptionLinesPerCue);
        for (const std::string& line : block) EXPECT_LE(characterCount(line), kCaptionLineLength);
    }
}

TEST(PassageCues, TwoLinesPerCueTimedOverTheAudioSpan)
{
    SpokenPassage passage;
    passage.startMs = 10000;
    passage.endMs = 16000;
    // Five lines of 41 characters: three cues of 82, 82 and 41 characters.
    std::string text;
    for (int i = 0; i < 5; ++i) text += (i ? " " : "") + std::string(20, char('a' + i)) + " " + std::string(20, 'z');
    passage.text = text;
    const std::vector<Cue> cues = passageCues(passage);
    ASSERT_EQ(cues.size(), 3u);
    EXPECT_EQ(cues[0].lines.size(), 2u);
    EXPECT_EQ(cues[1].lines.size(), 2u);
    EXPECT_EQ(cues[2].lines.size(), 1u);
    EXPECT_EQ(cues[0].startMs, 10000u);
    EXPECT_EQ(cues[0].endMs, 12400u);  // 82 / 205 of 6000 ms
    EXPECT_EQ(cues[1].startMs, 12400u);
    EXPECT_EQ(cues[1].endMs, 14800u);
    EXPECT_EQ(cues[2].startMs, 14800u);
    EXPECT_EQ(cues[2].endMs, 16000u);
}

TEST(PassageCues, NoWordsNoCue)
{
    SpokenPassage passage{0, 1000, ""};
    EXPECT_TRUE(passageCues(passage).empty());
    SpokenPassage blanks{0, 1000, "   "};
    EXPECT_TRUE(passageCues(blanks).empty());
}

TEST(PassageCues, ShortPassageIsOneCueOverTheWholeSpan)
{
    const std::vector<Cue> cues = buildCues({{2000, 2600, "Hello"}, {5000, 7000, "there you are"}});
    ASSERT_EQ(cues.size(), 2u);
    EXPECT_EQ(cues[0].startMs, 2000u);
    EXPECT_EQ(cues[0].endMs, 2600u);
    EXPECT_EQ(cues[1].startMs, 5000u);
    EXPECT_EQ(cues[1].endMs, 7000u);
    EXPECT_EQ(cues[1].lines, std::vector<std::string>{"there you are"});
}

TEST(Timestamps, Formats)
{
    struct Case {
        std::uint32_t ms;
        const char* srt;
        const char* vtt;
    };
    const Case cases[] = {
        {0, "00:00:00,000", "00:00:00.000"},
        {1, "00:00:00,001", "00:00:00.001"},
        {59999, "00:00:59,999", "00:00:59.999"},
        {60000, "00:01:00,000", "00:01:00.000"},
        {179000, "00:02:59,000", "00:02:59.000"},
        {3600000 + 61001, "01:01:01,001", "01:01:01.001"},
        {100u * 3600000u, "100:00:00,000", "100:00:00.000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatTimestamp(c.ms, ','), c.srt);
        EXPECT_EQ(formatTimestamp(c.ms, '.'), c.vtt);
    }
}

TEST(CaptionFiles, SubRipAndWebVtt)
{
    std::vector<Cue> cues(2);
    cues[0] = {1953, 4500, {"first line", "second <line> & more"}};
    cues[1] = {62000, 63250, {"last"}};
    EXPECT_EQ(formatSrt(cues),
              "1\n00:00:01,953 --> 00:00:04,500\nfirst line\nsecond <line> & more\n\n"
              "2\n00:01:02,000 --> 00:01:03,250\nlast\n\n");
    EXPECT_EQ(formatVtt(cues),
              "WEBVTT\n\n"
              "00:00:01.953 --> 00:00:04.500\nfirst line\nsecond &lt;line&gt; &amp; more\n\n"
              "00:01:02.000 --> 00:01:03.250\nlast\n\n");
    EXPECT_EQ(formatSrt({}), "");
    EXPECT_EQ(formatVtt({}), "WEBVTT\n\n");
}

}  // namespace
