#pragma once
// Which files the player takes for films: the name's last three characters compared
// exactly (cameras write ".MP4" and ".mov"; ".Mp4" is not taken). Qt-free, UTF-8.

#include <string_view>

namespace tesmira {

// The last three characters are "MOV", "mov", "mp4", "MP4", "avi" or "AVI".
bool HasAcceptedEnding(std::string_view path);

}  // namespace tesmira
