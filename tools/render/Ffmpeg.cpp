#include "tools/render/Ffmpeg.h"

#include <fstream>

std::vector<std::string> ffmpegVideoArgs(const std::string& ffmpeg, const std::string& output)
{
    return {ffmpeg,
            "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
            "-f", "yuv4mpegpipe", "-i", "pipe:0",
            "-an",
            "-c:v", "libx264", "-preset", "veryfast", "-tune", "stillimage", "-crf", "18",
            "-pix_fmt", "yuv420p",
            // Tell players the frames are BT.601 studio range, as written.
            "-colorspace", "smpte170m", "-color_primaries", "smpte170m", "-color_trc", "smpte170m",
            "-color_range", "tv",
            "-f", "mp4", output};
}

std::vector<std::string> ffmpegMuxArgs(const std::string& ffmpeg, const std::string& video, const std::string& wav,
                                       const std::string& subtitles, const std::string& output)
{
    std::vector<std::string> args = {ffmpeg, "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
                                     "-i", video, "-i", wav};
    if (!subtitles.empty()) {
        args.insert(args.end(), {"-f", "srt", "-i", subtitles});
    }
    args.insert(args.end(), {"-map", "0:v:0", "-map", "1:a:0"});
    if (!subtitles.empty()) {
        args.insert(args.end(), {"-map", "2:s:0", "-c:s", "mov_text", "-metadata:s:s:0", "language=eng"});
    }
    args.insert(args.end(), {"-c:v", "copy", "-c:a", "aac", "-b:a", "128k", "-movflags", "+faststart",
                             "-f", "mp4", output});
    return args;
}

std::string lastLogLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line, last;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) last = line;
    }
    return last;
}
