// What follows a printer's downloads: the completion report (with the
// tone-curve reset), the two density settings, and the hand-off to the
// laminate pattern program.
#pragma once

#include <cstdint>
#include <string>

#include "firmware_versions.h"
#include "library_session.h"
#include "upgrade_config.h"

namespace tz::upgrade {

// After "Completed firmware upgrade.": resets the tone curves when the
// configuration asks for it and shows the printer's firmware entries. A
// failure is reported and ends the report only.
void report_completion(const UpgradeConfig& config, const std::string& serial);

struct DensitySetting {
    int parameter;       // printer parameter number
    int32_t target;      // value after the upgrade
    uint16_t crossing;   // needed when MAIN rises from below this version to it or above
    const char* not_needed;
    const char* checking;     // with the status code
    const char* initialized;  // with the target
    const char* cannot;
    const char* set_by_hand;  // with the target
};

inline constexpr DensitySetting kLowPan = {
    142, -10, 0x0601,
    "Initialization of Density Low PAN does not need.\n",
    "Checking Density Low PAN ... printer status is %d     \r",
    "Density Low PAN was initialized to %d.\n",
    "Cannot initialize Density Low PAN of the printer.\n",
    "Please set %d to Density Low PAN by using OCP manually.\n",
};
inline constexpr DensitySetting kYmcPan = {
    143, 0, 0x0603,
    "Initialization of Density YMC PAN does not need.\n",
    "Checking Density YMC PAN ... printer status is %d     \r",
    "Density YMC PAN was initialized to %d.\n",
    "Cannot initialize Density YMC PAN of the printer.\n",
    "Please set %d to Density YMC PAN by using OCP manually.\n",
};

bool density_needed(const DensitySetting& setting, VersionPair before, VersionPair after);

// Both density settings on the printer selected in `session`, which they
// close. false when a setting failed: the run ends.
bool apply_density_settings(LibrarySession& session, VersionPair before, VersionPair after, int64_t ready_limit_ms);

// Hand off when MAIN was downloaded in this run and rose across the threshold.
bool hand_off_wanted(VersionPair threshold, VersionPair before, VersionPair after, bool main_downloaded);
// Prints the threshold and the MAIN versions before and after.
void print_hand_off_versions(VersionPair threshold, VersionPair before, VersionPair after);

// Letters and digits only: what may go into the hand-off script.
bool serial_fits_script(const std::string& serial);

// Writes the laminate program's command line for this printer into the
// pattern folder's script, starts the package's launcher, and when another
// printer follows gives it time to start. false when the script could not be
// written: the run ends.
bool hand_off_laminate(const std::string& serial, bool another_printer_follows);

}  // namespace tz::upgrade
