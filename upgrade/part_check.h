// Whether the printer installed a part it was sent: the part's entry in its
// firmware table (the engine-ID record) against the version of the file.
#pragma once

#include <cstddef>

#include "firmware_versions.h"

namespace tz::upgrade {

// A part that went out in this run.
struct SentPart {
    const char* name = "";     // USB, MAIN, DSP or TABLE, as the messages name it
    size_t entry_offset = 0;   // the part's entry in the engine-ID record
    VersionPair version;       // of the file sent
};

enum class Installed { Yes, OtherVersion, Unknown };

// Reads the firmware table of the selected printer. `found` is the version
// the printer shows for the part (unless Unknown: the table was not read).
Installed check_installed(const SentPart& part, VersionPair& found);

// The line that ends a run whose part the printer did not install.
void print_not_installed(const SentPart& part, VersionPair found);

}  // namespace tz::upgrade
