// Recognising sound data before it reaches a decoder: wave files whose data is all there, and
// MIDI, a standard MIDI file ("MThd" header, "MTrk" chunks) or one wrapped in a RIFF "RMID" file.
// Sound data is untrusted; the checks walk every chunk (and every MIDI event) and accept only
// data that parses to its end.
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

// True for a RIFF "WAVE" file.
bool IsWaveFile(std::span<const uint8_t> bytes);
// True when a wave file holds a "fmt " chunk and a "data" chunk whose declared length lies
// within the file: a wave cut short is damaged, not a shorter sound.
bool IsCompleteWaveFile(std::span<const uint8_t> bytes);

}  // namespace qv::sound
