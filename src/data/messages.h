// The runner's start-up messages, byte for byte as players and tests see them.
#pragma once

namespace qv::data::messages {

inline constexpr const char* kCannotReadGame = "Error: Cannot read the game file.";
inline constexpr const char* kNotValidGame = "Error: Not a valid game file.";
inline constexpr const char* kWrongVersion = "Error: Wrong version number.";
inline constexpr const char* kResourceData = "Error: Error in resource data.";
inline constexpr const char* kCorrupted = "Failed to load the game data. File seems corrupted.";
// The spelling "occured" is the message's own and is kept.
inline constexpr const char* kUnexpected = "Unexpected error occured when running the game.";
inline constexpr const char* kTempDirFailed = "Failed to create temp dir. This can cause serious problems with sounds, etc.";

}  // namespace qv::data::messages
