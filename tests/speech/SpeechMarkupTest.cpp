#include <gtest/gtest.h>

#include <random>

#include "show/SpeechMarkup.h"

// Found by GoogleTest through the argument's namespace.
void PrintTo(const SpeechItem& item, std::ostream* os) {
    static const char* kinds[] = {"Text", "Silence", "Rate", "Pitch", "Volume"};
    *os << kinds[item.kind] << "(" << item.value << ", \"" << item.text << "\")";
}

namespace {

SpeechItem text(const char* t) { return {SpeechItem::Text, 0, t}; }
SpeechItem silence(int ms) { return {SpeechItem::Silence, ms, ""}; }
SpeechItem rate(int v) { return {SpeechItem::Rate, v, ""}; }
SpeechItem pitch(int v) { return {SpeechItem::Pitch, v, ""}; }
SpeechItem volume(int v) { return {SpeechItem::Volume, v, ""}; }

struct MarkupCase {
    const char* name;
    const char16_t* input;
    VoiceSettings before;
    std::vector<SpeechItem> items;
    std::string words;
    VoiceSettings after;
};

const VoiceSettings base{-3, -8, 100};

const MarkupCase cases[] = {
    {"VoiceOnly", u"<rate absspeed=\"-3\"/><pitch absmiddle=\"-8\"/>", {}, {rate(-3), pitch(-8)}, "", base},
    {"BlankBeforeSlash", u"Hello <silence msec=\"50\" /> world", base,
     {text("Hello"), silence(50), text("world")}, "Hello world", base},
    {"PlusSign", u"Name <pitch absmiddle=\"+15\"/>Lee", base, {text("Name"), pitch(15), text("Lee")}, "Name Lee",
     {-3, 15, 100}},
    {"TitleSlowAndDeep",
     u"<rate absspeed=\"-8\"/><pitch absmiddle=\"-18\"/>Glow<silence msec=\"50\" /> moth<rate absspeed=\"-3\"/>"
     u"<pitch absmiddle=\"-8\"/>",
     base, {rate(-8), pitch(-18), text("Glow"), silence(50), text("moth"), rate(-3), pitch(-8)}, "Glow moth", base},
    {"RelativeTagsFromTheVoiceBefore", u"<rate speed=\"+2\"/><pitch middle=\"-4\"/>a", base,
     {rate(-1), pitch(-12), text("a")}, "a", {-1, -12, 100}},
    {"AbsoluteThenRelative", u"<rate absspeed=\"2\" speed=\"3\"/>", base, {rate(5)}, "", {5, -8, 100}},
    {"Entities", u"Fish &amp; chips &lt;3 &quot;x&quot; &apos;y&apos; &gt; &#65;&#x42;", base,
     {text("Fish & chips <3 \"x\" 'y' > AB")}, "Fish & chips <3 \"x\" 'y' > AB", base},
    {"UnknownEntitiesStayText", u"&foo; & bar &#; &#xZZ;", base, {text("&foo; & bar &#; &#xZZ;")},
     "&foo; & bar &#; &#xZZ;", base},
    {"UnknownTagsDroppedTextKept", u"<emph>very</emph> <bookmark mark=\"x\"/>good<?xml version=\"1.0\"?>", base,
     {text("very good")}, "very good", base},
    {"CommentSaysNothing", u"<!-- not <silence msec=\"9\"/> this -->shown", base, {text("shown")}, "shown", base},
    {"Volume", u"<volume level=\"50\"/>soft<volume level=\"150\"/>", base, {volume(50), text("soft"), volume(100)},
     "soft", base},
    {"CaseAndSingleQuotes", u"<SILENCE MSEC='20'/><Pitch AbsMiddle='-10'/>x", base, {silence(20), pitch(-10), text("x")},
     "x", {-3, -10, 100}},
    {"ContainerLastsToItsEnd", u"<rate absspeed=\"5\">fast</rate> slow", base,
     {rate(5), text("fast"), rate(-3), text("slow")}, "fast slow", base},
    {"UnclosedTagKeepsItsSettingAndTheWords", u"<rate absspeed=\"-5\" Hello world", base,
     {rate(-5), text("Hello world")}, "Hello world", {-5, -8, 100}},
    {"UnclosedQuote", u"<silence msec=\"300/>after", base, {silence(300), text("after")}, "after", base},
    {"TagCutOffAtTheEnd", u"word <pitch", base, {text("word")}, "word", base},
    {"BadNumbersDropOnlyTheirSetting", u"<rate absspeed=\"fast\"/>quick<silence msec=\"3x\"/> end<pitch absmiddle=\"\"/>",
     base, {text("quick end")}, "quick end", base},
    {"NotMarkup", u"a < b <> c </ d", base, {text("a < b <> c </ d")}, "a < b <> c </ d", base},
    {"HugeValuesAreBounded", u"<silence msec=\"99999999999999\"/><rate absspeed=\"-99999\"/><silence msec=\"-5\"/>", base,
     {silence(kMarkupSilenceLimitMs), rate(-kMarkupSettingLimit)}, "", {-kMarkupSettingLimit, -8, 100}},
    {"Empty", u"", base, {}, "", base},
    {"BlanksCollapse", u"  one \n\t two  ", base, {text("one two")}, "one two", base},
};

class SpeechMarkupTable : public ::testing::TestWithParam<MarkupCase> {};

TEST_P(SpeechMarkupTable, ReadsItemsWordsAndVoice) {
    const MarkupCase& c = GetParam();
    VoiceSettings voice = c.before;
    SpeechPassage passage = readSpeechMarkup(c.input, voice);
    EXPECT_EQ(passage.items, c.items);
    EXPECT_EQ(passage.words, c.words);
    EXPECT_TRUE(passage.start == c.before);
    EXPECT_TRUE(voice == c.after) << voice.rate << " " << voice.pitch << " " << voice.volume;
}

INSTANTIATE_TEST_SUITE_P(Cases, SpeechMarkupTable, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<MarkupCase>& info) { return info.param.name; });

TEST(SpeechMarkup, SettingsPersistAcrossPassages) {
    VoiceSettings voice;
    readSpeechMarkup(u"<rate absspeed=\"-3\"/><pitch absmiddle=\"-8\"/>", voice);
    SpeechPassage second = readSpeechMarkup(u"Words in the base voice.<pitch middle=\"+2\"/>", voice);
    EXPECT_TRUE(second.start == base);
    EXPECT_EQ(voice.pitch, -6);
    SpeechPassage third = readSpeechMarkup(u"More.", voice);
    EXPECT_EQ(third.start.rate, -3);
    EXPECT_EQ(third.start.pitch, -6);
}

TEST(SpeechMarkup, APassagesSilencesAreBoundedAltogether) {
    std::u16string input;
    for (int i = 0; i < 12; ++i) input += u"<silence msec=\"60000\"/>";
    VoiceSettings voice;
    SpeechPassage passage = readSpeechMarkup(input.c_str(), voice);
    long total = 0;
    for (const SpeechItem& item : passage.items) total += item.value;
    EXPECT_EQ(total, kMarkupPassageSilenceLimitMs);
    EXPECT_EQ(passage.items.size(), size_t(kMarkupPassageSilenceLimitMs / kMarkupSilenceLimitMs));
}

TEST(SpeechMarkup, NullTextIsAnEmptyPassage) {
    VoiceSettings voice = base;
    SpeechPassage passage = readSpeechMarkup(nullptr, voice);
    EXPECT_TRUE(passage.items.empty());
    EXPECT_TRUE(voice == base);
}

TEST(SpeechMarkup, ConvertsBetweenUtf16AndUtf8) {
    EXPECT_EQ(utf16ToUtf8(u"caf\u00e9 \u20ac \U0001F98B"), "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\xa6\x8b");
    const char16_t lone[] = {u'a', char16_t(0xD800), u'b', 0};
    EXPECT_EQ(utf16ToUtf8(lone), "a\xef\xbf\xbd" "b");
    EXPECT_EQ(utf8ToUtf16("caf\xc3\xa9 \xf0\x9f\xa6\x8b"), u"caf\u00e9 \U0001F98B");
    EXPECT_EQ(utf8ToUtf16("x\xff\xc3"), u"x\uFFFD\uFFFD");
}

// Scrambled markup of every kind: reading always ends, and every setting the
// engine gets stays inside its bounds.
TEST(SpeechMarkup, ScrambledMarkupAlwaysEndsWithinBounds) {
    const std::u16string pieces[] = {u"<", u">", u"/", u"/>", u" />", u"\"", u"'", u"=", u"&", u";", u"&amp;", u"&#",
                                     u"rate", u"pitch", u"silence", u"volume", u"absspeed", u"msec", u"level",
                                     u"middle", u"-", u"+", u"9", u"99999999999", u" ", u"word", u"<!--", u"-->",
                                     u"</rate>", u"<?", u"\xD800"};
    std::mt19937 random(4);
    for (int round = 0; round < 3000; ++round) {
        std::u16string input;
        int count = int(random() % 40);
        for (int k = 0; k < count; ++k) input += pieces[random() % (sizeof pieces / sizeof pieces[0])];
        VoiceSettings voice;
        SpeechPassage passage = readSpeechMarkup(input.c_str(), voice);
        for (const SpeechItem& item : passage.items) {
            switch (item.kind) {
            case SpeechItem::Silence: ASSERT_TRUE(item.value > 0 && item.value <= kMarkupSilenceLimitMs); break;
            case SpeechItem::Volume: ASSERT_TRUE(item.value >= 0 && item.value <= 100); break;
            case SpeechItem::Rate:
            case SpeechItem::Pitch: ASSERT_LE(std::abs(item.value), kMarkupSettingLimit); break;
            case SpeechItem::Text: ASSERT_FALSE(item.text.empty()) << utf16ToUtf8(input); break;
            }
        }
    }
}

}  // namespace
