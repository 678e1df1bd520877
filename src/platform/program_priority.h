// The priority game code asks for with set_program_priority, mapped onto the host's nice values.
#pragma once

namespace qv::platform {

// Levels -3 (idle) to 3 (the highest class). The nice values: -3 → 19, -2 → 2, -1 → 1, 0 → 0,
// 1 → -1, 2 → -5, 3 → -10. The top level is never a real-time scheduling class: the step loop
// spins through its last millisecond of waiting, and a real-time spinner can starve the desktop.
// Raising priority usually needs privileges; a refusal is silent. Other levels count as 0.
void setProgramPriority(int level);

// The nice value the level asks for.
int niceValueForLevel(int level);

}  // namespace qv::platform
