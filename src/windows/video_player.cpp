#include "windows/video_player.h"

namespace qv::windows {

// No decoder yet: every video is one that cannot be decoded.
std::unique_ptr<VideoPlayer> VideoPlayer::Open(const std::string&, bool) { return nullptr; }

}  // namespace qv::windows
