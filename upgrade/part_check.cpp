#include "part_check.h"

#include "output.h"
#include "printer_versions.h"

namespace tz::upgrade {

Installed check_installed(const SentPart& part, VersionPair& found) {
    EngineRecord record{};
    if (!read_engine_record(record)) return Installed::Unknown;
    found = entry_at(record, part.entry_offset).version;
    return found == part.version ? Installed::Yes : Installed::OtherVersion;
}

void print_not_installed(const SentPart& part, VersionPair found) {
    say("The %s firmware was not installed: expected version %02X.%02X, the printer has %02X.%02X.\n", part.name,
        part.version.major, part.version.minor, found.major, found.minor);
}

}  // namespace tz::upgrade
