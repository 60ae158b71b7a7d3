#include "tools/render/Y4m.h"

namespace {

std::uint8_t clampByte(int value) { return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value); }

// Reads pixel (x, y) of a locked surface as 8-bit RGB.
struct PixelReader {
    explicit PixelReader(const SDL_Surface* s)
        : surface(s), format(s->format),
          // Full 8-bit channels need no scaling: the common screen format.
          direct(!format->palette && format->Rloss == 0 && format->Gloss == 0 && format->Bloss == 0)
    {
    }

    void read(int x, int y, int& r, int& g, int& b) const
    {
        const Uint8* row = static_cast<const Uint8*>(surface->pixels) + static_cast<std::size_t>(y) * surface->pitch;
        const int bpp = format->BytesPerPixel;
        const Uint8* p = row + static_cast<std::size_t>(x) * bpp;
        Uint32 value = 0;
        switch (bpp) {
        case 1: value = p[0]; break;
        case 2: value = *reinterpret_cast<const Uint16*>(p); break;
        case 3:
#if SDL_BYTEORDER == SDL_BIG_ENDIAN
            value = (p[0] << 16) | (p[1] << 8) | p[2];
#else
            value = p[0] | (p[1] << 8) | (p[2] << 16);
#endif
            break;
        default: value = *reinterpret_cast<const Uint32*>(p); break;
        }
        if (direct) {
            r = static_cast<int>((value & format->Rmask) >> format->Rshift);
            g = static_cast<int>((value & format->Gmask) >> format->Gshift);
            b = static_cast<int>((value & format->Bmask) >> format->Bshift);
            return;
        }
        Uint8 r8, g8, b8;
        SDL_GetRGB(value, format, &r8, &g8, &b8);
        r = r8;
        g = g8;
        b = b8;
    }

    const SDL_Surface* surface;
    const SDL_PixelFormat* format;
    bool direct;
};

}  // namespace

void rgbToYuv(int r, int g, int b, std::uint8_t& y, std::uint8_t& u, std::uint8_t& v)
{
    // ITU-R BT.601, Y in 16..235 and chroma in 16..240, in 8.8 fixed point.
    y = clampByte(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
    u = clampByte(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
    v = clampByte(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
}

bool surfaceToYuv(SDL_Surface* surface, YuvFrame& frame)
{
    if (!surface || surface->w <= 0 || surface->h <= 0) return false;
    const bool mustLock = SDL_MUSTLOCK(surface);
    if (mustLock && SDL_LockSurface(surface) != 0) return false;

    frame.width = surface->w;
    frame.height = surface->h;
    frame.planes.assign(frame.lumaSize() + 2 * frame.chromaSize(), 0);
    std::uint8_t* yPlane = frame.planes.data();
    std::uint8_t* uPlane = yPlane + frame.lumaSize();
    std::uint8_t* vPlane = uPlane + frame.chromaSize();

    const PixelReader reader(surface);
    const int cw = frame.chromaWidth();
    for (int cy = 0; cy < frame.chromaHeight(); ++cy) {
        for (int cx = 0; cx < cw; ++cx) {
            int sumR = 0, sumG = 0, sumB = 0, count = 0;
            for (int dy = 0; dy < 2; ++dy) {
                const int y = cy * 2 + dy;
                if (y >= frame.height) continue;
                for (int dx = 0; dx < 2; ++dx) {
                    const int x = cx * 2 + dx;
                    if (x >= frame.width) continue;
                    int r, g, b;
                    reader.read(x, y, r, g, b);
                    std::uint8_t yy, uu, vv;
                    rgbToYuv(r, g, b, yy, uu, vv);
                    yPlane[static_cast<std::size_t>(y) * frame.width + x] = yy;
                    sumR += r;
                    sumG += g;
                    sumB += b;
                    ++count;
                }
            }
            std::uint8_t yy, uu, vv;
            rgbToYuv((sumR + count / 2) / count, (sumG + count / 2) / count, (sumB + count / 2) / count, yy, uu, vv);
            uPlane[static_cast<std::size_t>(cy) * cw + cx] = uu;
            vPlane[static_cast<std::size_t>(cy) * cw + cx] = vv;
        }
    }

    if (mustLock) SDL_UnlockSurface(surface);
    return true;
}

std::string y4mHeader(int width, int height, int fpsNumerator, int fpsDenominator)
{
    // Progressive, square pixels, centred (JPEG/MPEG-1) chroma siting, which
    // is what averaging each 2×2 block gives.
    return "YUV4MPEG2 W" + std::to_string(width) + " H" + std::to_string(height) + " F" +
           std::to_string(fpsNumerator) + ":" + std::to_string(fpsDenominator) +
           " Ip A1:1 C420jpeg XYSCSS=420JPEG XCOLORRANGE=LIMITED\n";
}

Y4mWriter::Y4mWriter(std::FILE* stream, int width, int height, int fpsNumerator, int fpsDenominator)
    : stream(stream), width(width), height(height), fpsNumerator(fpsNumerator), fpsDenominator(fpsDenominator)
{
}

bool Y4mWriter::writeFrame(const YuvFrame& frame)
{
    if (frame.width != width || frame.height != height ||
        frame.planes.size() != frame.lumaSize() + 2 * frame.chromaSize())
        return false;
    if (!headerWritten) {
        const std::string header = y4mHeader(width, height, fpsNumerator, fpsDenominator);
        if (std::fwrite(header.data(), 1, header.size(), stream) != header.size()) return false;
        headerWritten = true;
    }
    static const char marker[] = "FRAME\n";
    if (std::fwrite(marker, 1, sizeof marker - 1, stream) != sizeof marker - 1) return false;
    if (std::fwrite(frame.planes.data(), 1, frame.planes.size(), stream) != frame.planes.size()) return false;
    ++frames;
    return true;
}
