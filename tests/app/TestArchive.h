// Archives for start-up tests: one "origin" entry that tells archives apart,
// and small stand-ins for the show's nineteen pictures (BMP bytes, which
// SDL_image recognises whatever the name says), so that the program gets
// past loading its show.
#pragma once

#include "archive/ArchiveWriter.h"
#include "archive/Codec.h"

#include <SDL/SDL.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<char> tinyPictureBytes(const std::string& scratchPath) {
    SDL_Surface* picture = SDL_CreateRGBSurface(SDL_SWSURFACE, 8, 8, 24, 0xff0000, 0xff00, 0xff, 0);
    if (!picture) {
        return {};
    }
    SDL_FillRect(picture, nullptr, 0x336699);
    const int saved = SDL_SaveBMP(picture, scratchPath.c_str());
    SDL_FreeSurface(picture);
    if (saved != 0) {
        return {};
    }
    std::ifstream in(scratchPath, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(scratchPath.c_str());
    return bytes;
}

// Writes a stand-alone archive at path; true on success.
inline bool writeTestArchive(const std::string& path, const std::string& origin) {
    const std::vector<char> picture = tinyPictureBytes(path + ".bmp");
    if (picture.empty()) {
        return false;
    }
    ArchiveWriter* writer = createArchive(path.c_str());
    if (!writer) {
        return false;
    }
    bool ok = writer->addEntry("origin", origin.data(), static_cast<std::uint32_t>(origin.size()), kCodecNone) > 0;
    for (int i = 1; ok && i <= 19; ++i) {
        const std::string name = "data/2t" + std::to_string(i) + ".png";
        ok = writer->addEntry(name.c_str(), picture.data(), static_cast<std::uint32_t>(picture.size()), kCodecZlib) > 0;
    }
    if (!ok || !writer->finish(kCodecZlib)) {
        delete writer;
        return false;
    }
    return true;
}

// Copies from onto the end of to.
inline bool appendFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::app);
    out << in.rdbuf();
    return in.good() || in.eof() ? static_cast<bool>(out) : false;
}

// A copy of the program at to without any archive on its end, whether or not
// the build appended one: the tests decide which archive the program finds.
inline bool copyBareProgram(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() >= 8 && std::string(bytes.end() - 4, bytes.end()) == "3WQX") {
        const unsigned char* length = reinterpret_cast<const unsigned char*>(&bytes[bytes.size() - 8]);
        const std::uint32_t archiveLength = length[0] | length[1] << 8 | length[2] << 16 |
                                            static_cast<std::uint32_t>(length[3]) << 24;
        if (archiveLength > bytes.size()) {
            return false;
        }
        bytes.resize(bytes.size() - archiveLength);
    }
    {
        std::ofstream out(to, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            return false;
        }
    }
    return chmod(to.c_str(), 0755) == 0;
}
