// The script as a table: its events, times and pictures, and every passage's
// markup against the row it belongs to.
#include "show/Script.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string utf8(const char16_t* text) {
    std::string out;
    for (const char16_t* p = text; *p; ++p) {
        const char32_t c = *p;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// A passage as a sequence of tokens: "R-3", "P+10", "S50" for the three tags
// in their exact written forms, "W<n>" for a run of n words between tags, and
// "?<tag>" for anything in angle brackets that is not one of the three forms.
std::vector<std::string> tokens(const char16_t* passage) {
    static const std::regex rate(R"re(<rate absspeed="([+-][0-9]+)"/>)re");
    static const std::regex pitch(R"re(<pitch absmiddle="([+-][0-9]+)"/>)re");
    static const std::regex silence(R"re(<silence msec="([0-9]+)" />)re");
    const std::string text = utf8(passage);
    std::vector<std::string> out;
    int words = 0;
    auto flushWords = [&] {
        if (words > 0) {
            out.push_back("W" + std::to_string(words));
        }
        words = 0;
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == '<') {
            std::size_t close = text.find('>', pos);
            if (close == std::string::npos) {
                close = text.size() - 1;
            }
            const std::string tag = text.substr(pos, close - pos + 1);
            std::smatch m;
            flushWords();
            if (std::regex_match(tag, m, rate)) {
                out.push_back("R" + m[1].str());
            } else if (std::regex_match(tag, m, pitch)) {
                out.push_back("P" + m[1].str());
            } else if (std::regex_match(tag, m, silence)) {
                out.push_back("S" + m[1].str());
            } else {
                out.push_back("?" + tag);
            }
            pos = close + 1;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(text[pos]))) {
            ++pos;
            continue;
        }
        bool hasLetter = false;
        while (pos < text.size() && text[pos] != '<' && !std::isspace(static_cast<unsigned char>(text[pos]))) {
            hasLetter = hasLetter || std::isalnum(static_cast<unsigned char>(text[pos]));
            ++pos;
        }
        if (hasLetter) {
            ++words;
        }
    }
    flushWords();
    return out;
}

// Pattern tokens: a tag as above must come next; "W" is a run of one or more
// words; "W<n>" exactly n words; "*" any words or none. Words not allowed by
// the pattern fail the match.
bool matches(const std::vector<std::string>& passage, const std::string& pattern) {
    std::istringstream in(pattern);
    std::string want;
    std::size_t i = 0;
    while (in >> want) {
        const bool isRun = i < passage.size() && passage[i][0] == 'W';
        if (want == "*") {
            if (isRun) {
                ++i;
            }
        } else if (want == "W") {
            if (!isRun) {
                return false;
            }
            ++i;
        } else if (i < passage.size() && passage[i] == want) {
            ++i;
        } else {
            return false;
        }
    }
    return i == passage.size();
}

std::string joined(const std::vector<std::string>& list) {
    std::string out;
    for (const std::string& s : list) {
        out += (out.empty() ? "" : " ") + s;
    }
    return out;
}

struct Row {
    int number;
    Uint32 time;
    ScriptEventKind kind;
    int picture;
    const char* markup;  // for speech rows
};

constexpr ScriptEventKind speech = ScriptEventKind::Speech;
constexpr ScriptEventKind picture = ScriptEventKind::Picture;
constexpr ScriptEventKind end = ScriptEventKind::End;

// The show's rows, with each passage's markup in order and the word counts
// the row fixes between its tags.
const Row rows[] = {
    {1, 0, speech, 0, "R-3 P-8"},
    {2, 0, picture, 1, nullptr},
    {3, 2000, speech, 0, "* S50 * S50 * S40 * S150 * S300 *"},
    {4, 12200, speech, 0, "* S10 * S5 * S50 * S5 * S10 *"},
    {5, 19800, picture, 2, nullptr},
    {6, 19900, speech, 0, "* S50 * S100 * S50 * S20 *"},
    {7, 28700, picture, 3, nullptr},
    {8, 28800, speech, 0, "R-8 P-18 W1 S50 W1 S50 W R-3 P-8"},
    {9, 32700, picture, 4, nullptr},
    {10, 32800, speech, 0, "R-4 P-10 * S10 * S10 *"},
    {11, 36900, speech, 0, "* S50 * S50 W R-3 P-8"},
    {12, 39300, picture, 5, nullptr},
    {13, 39400, speech, 0, "* S50 * S10 * S10 * S10 * S50 * S50 * S20 * S40 *"},
    {14, 50000, picture, 6, nullptr},
    {15, 50100, speech, 0, "* S10 * S10 * S10 * S10 * S10 * S10 *"},
    {16, 56300, picture, 7, nullptr},
    {17, 56400, speech, 0, "* S10 * S50 * S30 * S50 * S10 * S10 * S10 * S10 * S20 * R-4 W3 R-3"},
    {18, 60900, picture, 8, nullptr},
    {19, 71300, picture, 9, nullptr},
    {20, 72400, speech, 0, "* S30 * S20 * S10 * S20 * S10 * S20 * S20 *"},
    {21, 81700, picture, 10, nullptr},
    {22, 81800, speech, 0, "* S20 * S10 * S20 * S10 * S20 * S20 * S20 *"},
    {23, 93100, picture, 11, nullptr},
    {24, 93200, speech, 0, "* S20 * S10 * S5 * S10 *"},
    {25, 100400, picture, 12, nullptr},
    {26, 100500, speech, 0, "* S20 * S20 * S20 *"},
    {27, 105600, picture, 13, nullptr},
    {28, 105700, speech, 0, "* S20 * S20 * S20 * S20 * S20 * S20 * S20 *"},
    {29, 118900, picture, 14, nullptr},
    {30, 119000, speech, 0, "P-9 * S30 *"},
    {31, 128000, picture, 15, nullptr},
    {32, 128100, speech, 0, "P-10 * S10 * S20 * S20 * S30 * S30 * S30 *"},
    {33, 134000, picture, 16, nullptr},
    {34, 134100, speech, 0, "P-7 W4 S10 P-6 W1 S20 P-7 W2 P-8 W S40 W3"},
    {35, 140200, picture, 17, nullptr},
    {36, 140300, speech, 0, "* S20 * S20 * S20 * S20 * S20 * S20 * S20 *"},
    {37, 150900, picture, 18, nullptr},
    {38, 151000, speech, 0,
     "P-10 * S50 * S20 * S20 * S20 * S20 * S20 * R-6 W1 R-3 * S10 * S50 * S20 * R-5 S20 W2 P-12 S20 W2"},
    {39, 165900, picture, 19, nullptr},
    {40, 166000, speech, 0, "R-3 P-10 W2 S200 P+10 W1 P-10 W2 S150 P+10 W1 P-5 W2 S150 P+15 W1"},
    {41, 179000, end, 0, nullptr},
};

static_assert(sizeof rows / sizeof rows[0] == scriptEventCount, "one row per event");

TEST(Script, EventsHaveTheRowsTimesKindsAndPictures) {
    for (const Row& row : rows) {
        SCOPED_TRACE("event " + std::to_string(row.number));
        const ScriptEvent& event = showScript[row.number - 1];
        EXPECT_EQ(event.time, row.time);
        EXPECT_EQ(event.kind, row.kind);
        if (row.kind == picture) {
            EXPECT_EQ(event.picture, row.picture);
        }
        if (row.kind == speech) {
            EXPECT_NE(event.text, nullptr);
        }
    }
}

TEST(Script, TimesNeverGoBackAndAreWholeTenthsOfASecond) {
    for (std::size_t i = 0; i < scriptEventCount; ++i) {
        EXPECT_EQ(showScript[i].time % 100, 0u) << "event " << i + 1;
        if (i > 0) {
            EXPECT_LE(showScript[i - 1].time, showScript[i].time) << "event " << i + 1;
        }
    }
}

TEST(Script, EveryPassageCarriesExactlyItsRowsMarkup) {
    for (const Row& row : rows) {
        if (row.kind != speech) {
            continue;
        }
        const std::vector<std::string> got = tokens(showScript[row.number - 1].text);
        EXPECT_TRUE(matches(got, row.markup))
            << "event " << row.number << "\n  passage: " << joined(got) << "\n  row:     " << row.markup;
    }
}

TEST(Script, OnlyTheVoicePassageIsWithoutWords) {
    for (const Row& row : rows) {
        if (row.kind != speech) {
            continue;
        }
        int words = 0;
        for (const std::string& token : tokens(showScript[row.number - 1].text)) {
            if (token[0] == 'W') {
                words += std::atoi(token.c_str() + 1);
            }
        }
        if (row.number == 1) {
            EXPECT_EQ(words, 0);
        } else {
            EXPECT_GE(words, 2) << "event " << row.number;
        }
    }
}

// The matcher must be able to fail, or the markup check above proves nothing.
TEST(Script, MarkupCheckRejectsWrongForms) {
    struct Case {
        const char16_t* passage;
        const char* pattern;
        bool ok;
    };
    const Case cases[] = {
        {u"One <silence msec=\"50\" /> two", "* S50 *", true},
        {u"One <silence msec=\"50\"/> two", "* S50 *", false},         // no blank before the slash
        {u"<pitch absmiddle=\"10\"/>Name", "P+10 W1", false},          // plus sign missing
        {u"<pitch absmiddle=\"+10\"/>Name", "P+10 W1", true},
        {u"<rate absspeed=\"-3\"/><pitch absmiddle=\"-8\"/>", "P-8 R-3", false},  // order
        {u"a b <silence msec=\"10\" />", "W1 S10", false},             // word count
        {u"words <silence msec=\"10\" /> more", "S10 *", false},       // words before the first tag
        {u"<volume level=\"50\"/> hi", "*", false},                    // foreign tag
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matches(tokens(c.passage), c.pattern), c.ok) << utf8(c.passage) << " vs " << c.pattern;
    }
}

// The voice each passage starts and ends in, following the tags through the
// passages in order: rate and pitch persist from one passage to the next.
TEST(Script, VoiceCarriesOverAsTheShowExpects) {
    struct Voice {
        int rate = 0;
        int pitch = 0;
    };
    Voice voice;
    std::vector<Voice> atStart(scriptEventCount + 1), atEnd(scriptEventCount + 1);
    for (std::size_t i = 0; i < scriptEventCount; ++i) {
        if (showScript[i].kind != speech) {
            continue;
        }
        atStart[i + 1] = voice;
        for (const std::string& token : tokens(showScript[i].text)) {
            if (token[0] == 'R') {
                voice.rate = std::atoi(token.c_str() + 1);
            } else if (token[0] == 'P') {
                voice.pitch = std::atoi(token.c_str() + 1);
            }
        }
        atEnd[i + 1] = voice;
    }
    for (int n : {3, 4, 6, 13, 15, 17, 20, 22, 24, 26, 28, 36}) {
        EXPECT_EQ(atStart[n].rate, -3) << "event " << n;
        EXPECT_EQ(atStart[n].pitch, -8) << "event " << n;
    }
    EXPECT_EQ(atStart[11].rate, -4);
    EXPECT_EQ(atStart[11].pitch, -10);
    for (int n : {8, 11, 17}) {
        EXPECT_EQ(atEnd[n].rate, -3) << "event " << n;
        EXPECT_EQ(atEnd[n].pitch, -8) << "event " << n;
    }
    EXPECT_EQ(atEnd[34].pitch, -8);
    EXPECT_EQ(atEnd[40].pitch, 15);
}

TEST(Script, NamesTheMakersTheTitleAndTheCredits) {
    const std::string makers = utf8(showScript[5].text);
    const std::string title = utf8(showScript[7].text);
    const std::string credits = utf8(showScript[39].text);
    EXPECT_NE(makers.find("Phosphor Collective"), std::string::npos);
    EXPECT_NE(title.find("Glowmoth"), std::string::npos);
    std::size_t at = 0;
    for (const char* part : {"Code by", "Tallowfinch", "Pictures by", "Lumenwick", "Words by", "Quillmoth"}) {
        const std::size_t found = credits.find(part, at);
        ASSERT_NE(found, std::string::npos) << part;
        at = found;
    }
}

}  // namespace
