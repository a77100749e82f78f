// The scenario runner: runs the toolbar program on the simulated desktop,
// driven by a script, and prints its trace. The script and trace formats are a
// contract with tools outside this code: extend them, never change them.
#pragma once

#include <istream>
#include <ostream>

// Returns 0 when the scenario ran to its end, 2 when it is malformed (nothing is
// run then, and Err names the line).
int RunScenario(std::istream& In, std::ostream& Out, std::ostream& Err);
