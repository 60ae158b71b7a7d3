// The archive's fixed bytes, shared by the reader and the writer.
//
//   H+0   "WQX3"                     magic
//   H+4   u32 directory offset       relative to H
//   H+8   u32 directory length       bytes of records once unpacked
//   H+12  entry blocks               u32 packed length + packed bytes each
//   H+directory offset               u32 codec word + u32 packed length + bytes
//   then  u32 archive length L       from H to the end of the file
//         "3WQX"                     footer magic, the file's last four bytes
//
// A directory record: u32 size, u32 offset, u32 codec word, u16 name length
// N, N name bytes. All positions are relative to H, so an archive can be
// copied onto the end of any file unchanged and found again through L.
#pragma once

#include <cstdint>

constexpr char kArchiveMagic[4] = {'W', 'Q', 'X', '3'};
constexpr char kFooterMagic[4] = {'3', 'W', 'Q', 'X'};
constexpr std::uint32_t kHeaderLength = 12;
constexpr std::uint32_t kFooterLength = 8;
constexpr std::uint32_t kRecordFixedLength = 14;
constexpr std::uint32_t kMaxNameLength = 0xFFFF;
