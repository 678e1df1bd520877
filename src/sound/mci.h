// The multimedia command layer behind `MCI_command` and the CD functions: command strings in,
// reply strings out (at most 255 characters; a failed command replies with the empty string).
//
// The runner's layer is that of a machine without a CD drive and without other multimedia
// devices: "cdaudio" cannot be opened, so every command fails and replies "". Tests put a
// scripted layer in its place to check the command sequences.
#pragma once

#include <string>
#include <string_view>

namespace qv::sound {

class MciCommandLayer {
 public:
  virtual ~MciCommandLayer() = default;
  virtual std::string send(std::string_view command) = 0;
};

// The layer in use: the one given, or the no-drive layer when `layer` is null. Not owned.
void SetMciCommandLayer(MciCommandLayer* layer);
// Sends one command through the layer in use; the reply is cut to 255 characters.
std::string MciSendString(std::string_view command);

// Reads a numeric reply: only the characters '0' to '9', in order, as a decimal integer (0 when
// there are none; saturates at 2147483647 rather than overflowing).
int64_t ParseMciNumber(std::string_view reply);

}  // namespace qv::sound
