#include "runner/game_parameters.h"

namespace qv::runner {
namespace {
std::vector<std::string>& store() {
  static std::vector<std::string> parameters;
  return parameters;
}
}  // namespace

void SetGameParameters(std::vector<std::string> parameters) { store() = std::move(parameters); }
const std::vector<std::string>& GameParameters() { return store(); }

}  // namespace qv::runner
