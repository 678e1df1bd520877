// Where a field of a project's JSON file stands in its text, so an error about the field can be
// reported at its line and column like a syntax error. Fields are written as the loader names
// them: keys joined by ".", list positions in brackets ("views[0].follow", "settings.scaling").
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace qv::project {

// The offset of the field's value in `text`; for a field that is not there, the offset of the
// deepest part of the path that is (the object that lacks the key). Nothing when the text cannot
// be walked that far (not JSON) or no part of the path is there.
std::optional<size_t> LocateJsonField(std::string_view text, std::string_view field);

}  // namespace qv::project
