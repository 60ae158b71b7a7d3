// How the renderer talks to Debian's ffmpeg: the video goes in as a
// YUV4MPEG2 stream over a pipe, then the narration and captions are muxed in
// with the video stream copied.
#pragma once

#include <string>
#include <vector>

// H.264 in MP4 from a YUV4MPEG2 stream on standard input.
std::vector<std::string> ffmpegVideoArgs(const std::string& ffmpeg, const std::string& output);

// The final file: the video copied, the WAV as AAC and, when subtitles is
// not empty, the SubRip captions as a selectable text track.
std::vector<std::string> ffmpegMuxArgs(const std::string& ffmpeg, const std::string& video, const std::string& wav,
                                       const std::string& subtitles, const std::string& output);

// The last non-empty line of a log file, for a one-line error message.
std::string lastLogLine(const std::string& path);
