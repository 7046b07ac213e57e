// The case table of the hostile-input suite (tst_hostile).
#pragma once

namespace ebtest {

// Columns: front ("cli", "engine" or "store"), setup, run (shell scripts; for "store" the check
// after the store's read and write), exit, says (texts the run must say), outputs (names that
// must come out complete in the output folder).
void AddHostileRows();

}  // namespace ebtest
