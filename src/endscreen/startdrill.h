#pragma once

namespace kanameru {

// Starts a fresh attempt at reg.currentLevel: every per-attempt flag of the register is
// cleared, then the drill form is shown (showDrillForm()).
void startDrill();

} // namespace kanameru
