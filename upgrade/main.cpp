// TZ5170upgrade INI-FILE: upgrades the firmware of every connected TARVO 5170
// from the package the INI file (in the current folder) describes.
#include <string>

#include "output.h"
#include "platform/console.h"
#include "platform/profile_ini.h"
#include "platform/system_names.h"
#include "upgrade_config.h"
#include "upgrade_run.h"

int main(int argc, char** argv) {
    using namespace tz::upgrade;
    if (argc < 2) return 0;
    UpgradeConfig config =
        read_upgrade_config(tz::platform::ProfileIni::read(tz::platform::current_folder_file(argv[1])));

    tz::platform::clear_console();
    say("TARVO 5170 Photo Printer Firmware Package Upgrade\n");
    say("\n");
    for (const std::string& note : config.notes) say("%s", note.c_str());
    if (!check_part_files(config)) return 0;
    print_file_listing(config);
    run_upgrade(config);
    return 0;
}
