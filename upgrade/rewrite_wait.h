// Waiting for the printer to finish rewriting its flash memory after a
// part download, and the two readings of the status that decide it.
#pragma once

#include <cstdint>
#include <string>

#include "part_check.h"

namespace tz::upgrade {

// A: after MAIN and DSP, and after TABLE when the tone curves are not reset.
// B: after TABLE when they are: the printer must be fully idle.
enum class Classifier { A, B };

enum class StatusClass { Finished, Failed, Waiting };

StatusClass classify_status(int code, Classifier classifier);

// Polls the printer's status without pause until the rewrite of `part` has
// finished (0, the library context left open for the next step) or failed
// (-1, after a line that says why). Finished means the status says so and
// the printer's firmware table shows the part's version; a printer that says
// it is ready before it was seen at work on the rewrite may still be taking
// the part's data, and is looked at again. A rewrite that has not finished
// after `limit_ms` program milliseconds has failed.
int wait_for_rewrite(const std::string& serial, Classifier classifier, int64_t limit_ms, const SentPart& part);

}  // namespace tz::upgrade
