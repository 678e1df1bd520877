// Recognising MIDI data before it reaches the synthesizer: a standard MIDI file ("MThd" header,
// "MTrk" chunks) or one wrapped in a RIFF "RMID" file. Sound data is untrusted; the check walks
// every event of every track and accepts only data that parses to its end.
#pragma once

#include <cstdint>
#include <span>

namespace qv::sound {

// The standard MIDI file inside `bytes` (itself, or the "data" chunk of an RMID file); empty
// when there is none.
std::span<const uint8_t> FindMidiData(std::span<const uint8_t> bytes);

// True when `smf` is a complete standard MIDI file: a header of format 0 to 2 with at least one
// track and a non-zero division, and as many well-formed track chunks as it declares.
bool IsStandardMidiFile(std::span<const uint8_t> smf);

}  // namespace qv::sound
