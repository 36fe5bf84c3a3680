// The run over every connected printer: list them, then for each one compare
// the installed versions with the package files, download what is older (or
// everything when forced) in the order USB, MAIN, DSP, TABLE, wait for each
// rewrite, restart the printer when asked to, and finish it. Any failure ends
// the whole run; the remaining printers are left alone.
#pragma once

#include "upgrade_config.h"

namespace tz::upgrade {

// Ends with the DISP_WAIT_TIME pause, on every path.
void run_upgrade(const UpgradeConfig& config);

}  // namespace tz::upgrade
