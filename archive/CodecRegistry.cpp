// The process-wide codec registry: a singly linked list, newest first.
#include "archive/BuiltinCodecs.h"
#include "archive/Codec.h"

namespace {

Codec* registryHead = nullptr;  // constant-initialised, valid before any constructor runs
bool builtinsRegistered = false;

// Builds the six codecs in this order, so the registry reads, from the
// front: ZLIB, Murk, None, Delta8, Delta32, Delta16. Enumeration and best
// selection walk it from the front, and best selection gives ties to the
// codec met first, so the order is part of the behaviour.
void registerBuiltins() {
    if (builtinsRegistered) return;
    builtinsRegistered = true;
    delta16Codec();
    delta32Codec();
    delta8Codec();
    noneCodec();
    murkCodec();
    zlibCodec();
}

// Registration happens during static construction, before main, whatever
// else the program links; every registry operation also makes sure of it,
// in case another static constructor reaches the registry first.
struct StartUpRegistration {
    StartUpRegistration() { registerBuiltins(); }
} startUpRegistration;

}  // namespace

Codec::Codec(std::uint32_t codecId, const char* codecName, const char* codecDescription)
    : description(codecDescription), name(codecName), id(codecId) {}

Codec::~Codec() = default;

void Codec::configure(std::int32_t) {}

void registerCodec(Codec* codec) {
    registerBuiltins();
    codec->next = registryHead;
    registryHead = codec;
}

void unregisterCodec(Codec* codec) {
    for (Codec** link = &registryHead; *link; link = &(*link)->next) {
        if (*link == codec) {
            *link = codec->next;
            codec->next = nullptr;
            return;
        }
    }
}

Codec* firstCodec() {
    registerBuiltins();
    return registryHead;
}

Codec* findCodec(std::uint32_t key) {
    for (Codec* codec = firstCodec(); codec; codec = codec->next) {
        if (codec->id == key) return codec;
    }
    return nullptr;
}

const char* codecName(std::uint32_t id) {
    if (id == kCodecBest) return "best";
    const Codec* codec = findCodec(id);
    return codec ? codec->name : "Unknown";
}

const char* codecDescription(std::uint32_t id) {
    if (id == kCodecBest) return "Finds the best compressor by testing them all";
    const Codec* codec = findCodec(id);
    return codec ? codec->description : "Unknown";
}

void enumerateCodecs(CodecVisitor& visitor) {
    for (Codec* codec = firstCodec(); codec; codec = codec->next) {
        visitor.visit(codec->id, codec->description, codec->name);
    }
}

Codec* setCodecParameter(std::uint32_t id, std::int32_t value) {
    Codec* codec = findCodec(id);
    if (codec) codec->parameter = value;
    return codec;
}

void configureCodec(std::uint32_t id, std::int32_t value) {
    if (Codec* codec = findCodec(id)) codec->configure(value);
}
