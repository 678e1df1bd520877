#include "runner/game_parameters.h"

#include "system/file_builtins.h"

namespace qv::runner {
namespace {
std::vector<std::string>& store() {
  static std::vector<std::string> parameters;
  return parameters;
}
}  // namespace

void SetGameParameters(std::vector<std::string> parameters) {
  system::SetProgramParameters(parameters);  // what parameter_count and parameter_string answer
  store() = std::move(parameters);
}
const std::vector<std::string>& GameParameters() { return store(); }

}  // namespace qv::runner
