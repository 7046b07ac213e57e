// The case table of the hostile-input suite (tst_hostile).
#pragma once

namespace ebtest {

// Columns: front ("cli" or "engine"), setup, run (shell scripts), exit (cli), says (texts the
// run must say), outputs (names that must come out complete in the output folder).
void AddHostileRows();

}  // namespace ebtest
