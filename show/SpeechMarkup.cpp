#include "show/SpeechMarkup.h"

#include <algorithm>
#include <cstdint>
#include <map>

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isNameChar(char16_t c) {
    return isLetter(c) || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' || c == u':' || c == u'.';
}
char16_t lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; }

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

void appendUtf16(std::u16string& out, uint32_t cp) {
    if (cp >= 0x110000 || (cp >= 0xD800 && cp < 0xE000)) cp = 0xFFFD;
    if (cp < 0x10000) {
        out += char16_t(cp);
    } else {
        cp -= 0x10000;
        out += char16_t(0xD800 + (cp >> 10));
        out += char16_t(0xDC00 + (cp & 0x3FF));
    }
}

std::string toUtf8(const char16_t* s, size_t n) {
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

// Collapses every run of blanks into one space and trims both ends.
std::u16string collapseBlanks(const std::u16string& s) {
    std::u16string out;
    bool pendingBlank = false;
    for (char16_t c : s) {
        if (isBlank(c)) {
            pendingBlank = !out.empty();
        } else {
            if (pendingBlank) out += u' ';
            pendingBlank = false;
            out += c;
        }
    }
    return out;
}

// A whole attribute value as a signed integer, saturated far beyond any
// meaningful setting. Anything but blanks around [+-]digits is rejected.
bool parseNumber(const std::u16string& v, int& result) {
    size_t i = 0;
    while (i < v.size() && isBlank(v[i])) ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == u'+' || v[i] == u'-')) negative = v[i++] == u'-';
    size_t digitsStart = i;
    long long value = 0;
    while (i < v.size() && v[i] >= u'0' && v[i] <= u'9') {
        value = std::min<long long>(value * 10 + (v[i] - u'0'), 1000000000LL);
        ++i;
    }
    if (i == digitsStart) return false;
    while (i < v.size() && isBlank(v[i])) ++i;
    if (i != v.size()) return false;
    result = int(negative ? -value : value);
    return true;
}

class MarkupReader {
public:
    MarkupReader(const char16_t* text, VoiceSettings& voice) : s_(text ? text : u""), voice_(voice) {
        n_ = std::char_traits<char16_t>::length(s_);
        passage_.start = voice;
    }

    SpeechPassage read() {
        size_t i = 0;
        while (i < n_) {
            char16_t c = s_[i];
            if (c == u'<') {
                i = readTag(i);
            } else if (c == u'&') {
                i = readEntity(i);
            } else {
                addText(c);
                ++i;
            }
        }
        flushRun();
        passage_.words = toUtf8Str(collapseBlanks(allText_));
        return std::move(passage_);
    }

private:
    using Attributes = std::map<std::u16string, std::u16string>;

    struct Scoped {
        std::u16string tag;
        SpeechItem::Kind kind;
        int previous;
    };

    static std::string toUtf8Str(const std::u16string& s) { return toUtf8(s.data(), s.size()); }

    void addText(char16_t c) {
        run_ += c;
        allText_ += c;
    }

    void flushRun() {
        std::u16string text = collapseBlanks(run_);
        run_.clear();
        if (!text.empty()) passage_.items.push_back({SpeechItem::Text, 0, toUtf8Str(text)});
    }

    void emit(SpeechItem::Kind kind, int value) {
        flushRun();
        passage_.items.push_back({kind, value, std::string()});
    }

    int& setting(SpeechItem::Kind kind) {
        if (kind == SpeechItem::Rate) return voice_.rate;
        if (kind == SpeechItem::Pitch) return voice_.pitch;
        return voice_.volume;
    }

    void set(SpeechItem::Kind kind, int value, const std::u16string& tag, bool container) {
        int& current = setting(kind);
        if (container) scoped_.push_back({tag, kind, current});
        current = value;
        emit(kind, value);
    }

    // "&name;" or "&#n;" / "&#xh;"; anything else leaves the '&' as text.
    size_t readEntity(size_t i) {
        size_t end = i + 1;
        while (end < n_ && end - i <= 10 && s_[end] != u';' && !isBlank(s_[end]) && s_[end] != u'<') ++end;
        if (end >= n_ || s_[end] != u';') {
            addText(u'&');
            return i + 1;
        }
        std::u16string name(s_ + i + 1, end - i - 1);
        uint32_t cp = 0;
        if (name == u"lt") cp = '<';
        else if (name == u"gt") cp = '>';
        else if (name == u"amp") cp = '&';
        else if (name == u"quot") cp = '"';
        else if (name == u"apos") cp = '\'';
        else if (name.size() >= 2 && name[0] == u'#') {
            bool hex = name[1] == u'x' || name[1] == u'X';
            size_t k = hex ? 2 : 1;
            if (k == name.size()) cp = 0;
            for (; k < name.size(); ++k) {
                char16_t d = name[k];
                int digit = (d >= u'0' && d <= u'9') ? d - u'0'
                          : (hex && d >= u'a' && d <= u'f') ? d - u'a' + 10
                          : (hex && d >= u'A' && d <= u'F') ? d - u'A' + 10 : -1;
                if (digit < 0) { cp = 0; break; }
                cp = std::min<uint32_t>(cp * (hex ? 16 : 10) + uint32_t(digit), 0x110000);
            }
        }
        if (cp == 0) {
            addText(u'&');
            return i + 1;
        }
        std::u16string decoded;
        appendUtf16(decoded, cp);
        for (char16_t c : decoded) addText(c);
        return end + 1;
    }

    size_t skipBlanks(size_t i) const {
        while (i < n_ && isBlank(s_[i])) ++i;
        return i;
    }

    size_t readName(size_t i, std::u16string& name) const {
        name.clear();
        while (i < n_ && isNameChar(s_[i])) name += lower(s_[i++]);
        return i;
    }

    // Returns where the text goes on after the tag at i (s_[i] == '<').
    size_t readTag(size_t i) {
        size_t j = i + 1;
        if (j < n_ && (s_[j] == u'!' || s_[j] == u'?')) {
            // Comments, declarations and processing instructions say nothing.
            bool comment = n_ - j >= 3 && s_[j] == u'!' && s_[j + 1] == u'-' && s_[j + 2] == u'-';
            for (size_t k = j; k < n_; ++k) {
                if (comment ? (k + 2 < n_ && s_[k] == u'-' && s_[k + 1] == u'-' && s_[k + 2] == u'>')
                            : s_[k] == u'>')
                    return k + (comment ? 3 : 1);
            }
            return n_;  // unclosed: the rest is inside it
        }
        if (j < n_ && s_[j] == u'/') {
            std::u16string name;
            size_t k = readName(j + 1, name);
            if (name.empty()) {
                addText(u'<');
                return i + 1;
            }
            k = skipBlanks(k);
            closeTag(name);
            return (k < n_ && s_[k] == u'>') ? k + 1 : k;
        }
        if (j >= n_ || !isLetter(s_[j])) {
            // "a < b": not markup.
            addText(u'<');
            return i + 1;
        }

        std::u16string name;
        j = readName(j, name);
        Attributes attributes;
        bool container = false;
        for (;;) {
            j = skipBlanks(j);
            if (j >= n_) break;  // unclosed: keep what was read
            if (s_[j] == u'>') {
                container = true;
                ++j;
                break;
            }
            if (s_[j] == u'/') {
                size_t k = skipBlanks(j + 1);
                if (k < n_ && s_[k] == u'>') {
                    j = k + 1;
                    break;
                }
                j = j + 1;
                continue;
            }
            if (!isLetter(s_[j])) break;  // malformed: the text resumes here
            std::u16string attribute;
            size_t afterName = readName(j, attribute);
            size_t k = skipBlanks(afterName);
            if (k >= n_ || s_[k] != u'=') break;  // a word, not an attribute
            k = skipBlanks(k + 1);
            if (k >= n_) {
                j = k;
                break;
            }
            std::u16string value;
            if (s_[k] == u'"' || s_[k] == u'\'') {
                char16_t quote = s_[k];
                size_t close = k + 1;
                while (close < n_ && s_[close] != quote && s_[close] != u'>') ++close;
                value.assign(s_ + k + 1, close - k - 1);
                if (close < n_ && s_[close] == quote) {
                    j = close + 1;
                } else {
                    // Unclosed quote: the '>' ends both value and tag.
                    if (!value.empty() && value.back() == u'/') value.pop_back();
                    j = close;
                }
            } else {
                size_t end = k;
                while (end < n_ && !isBlank(s_[end]) && s_[end] != u'>' &&
                       !(s_[end] == u'/' && end + 1 < n_ && s_[end + 1] == u'>'))
                    ++end;
                value.assign(s_ + k, end - k);
                j = end;
            }
            attributes[attribute] = value;
        }
        applyTag(name, attributes, container);
        return j;
    }

    void applyTag(const std::u16string& name, const Attributes& attributes, bool container) {
        auto number = [&](const char16_t* key, int& out) {
            auto it = attributes.find(key);
            return it != attributes.end() && parseNumber(it->second, out);
        };
        auto clampSetting = [](long long v) {
            return int(std::clamp<long long>(v, -kMarkupSettingLimit, kMarkupSettingLimit));
        };
        int absolute = 0, relative = 0;
        if (name == u"rate" || name == u"pitch") {
            SpeechItem::Kind kind = name == u"rate" ? SpeechItem::Rate : SpeechItem::Pitch;
            bool hasAbsolute = number(kind == SpeechItem::Rate ? u"absspeed" : u"absmiddle", absolute);
            bool hasRelative = number(kind == SpeechItem::Rate ? u"speed" : u"middle", relative);
            if (!hasAbsolute && !hasRelative) return;
            long long value = hasAbsolute ? absolute : setting(kind);
            if (hasRelative) value += relative;
            set(kind, clampSetting(value), name, container);
        } else if (name == u"volume") {
            if (number(u"level", absolute)) set(SpeechItem::Volume, std::clamp(absolute, 0, 100), name, container);
        } else if (name == u"silence") {
            // A silence breaks the text into separate runs even when it is empty.
            if (number(u"msec", absolute)) {
                int ms = std::min({std::max(absolute, 0), kMarkupSilenceLimitMs,
                                   kMarkupPassageSilenceLimitMs - silenceMs_});
                silenceMs_ += ms;
                if (ms > 0) emit(SpeechItem::Silence, ms);
            }
        }
        // Every other tag is dropped; its text is read on as plain text.
    }

    void closeTag(const std::u16string& name) {
        for (size_t k = scoped_.size(); k-- > 0;) {
            if (scoped_[k].tag != name) continue;
            Scoped scope = scoped_[k];
            scoped_.erase(scoped_.begin() + long(k), scoped_.end());
            setting(scope.kind) = scope.previous;
            emit(scope.kind, scope.previous);
            return;
        }
    }

    const char16_t* s_;
    size_t n_ = 0;
    VoiceSettings& voice_;
    SpeechPassage passage_;
    std::u16string run_;
    std::u16string allText_;
    std::vector<Scoped> scoped_;
    int silenceMs_ = 0;
};

}  // namespace

SpeechPassage readSpeechMarkup(const char16_t* text, VoiceSettings& voice) {
    return MarkupReader(text, voice).read();
}

std::string utf16ToUtf8(const char16_t* text) {
    if (!text) return std::string();
    return toUtf8(text, std::char_traits<char16_t>::length(text));
}

std::string utf16ToUtf8(const std::u16string& text) { return toUtf8(text.data(), text.size()); }

std::u16string utf8ToUtf16(const std::string& text) {
    std::u16string out;
    size_t i = 0, n = text.size();
    while (i < n) {
        unsigned char c = (unsigned char)text[i];
        uint32_t cp;
        size_t extra;
        if (c < 0x80) { cp = c; extra = 0; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
        else { appendUtf16(out, 0xFFFD); ++i; continue; }
        bool ok = true;
        for (size_t k = 1; k <= extra; ++k) {
            if (i + k >= n || ((unsigned char)text[i + k] & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | ((unsigned char)text[i + k] & 0x3F);
        }
        if (!ok) { appendUtf16(out, 0xFFFD); ++i; continue; }
        appendUtf16(out, cp);
        i += extra + 1;
    }
    return out;
}
