// What PAPPL's callbacks share in this process: the sub-command being run,
// the server's options and the colour profiles. papplMainloop hands it to
// every callback as its data.
#pragma once

#include <string>

#include "color_profiles.h"
#include "server_options.h"

namespace tz::app {

struct Application {
    std::string subcommand;  // "server", "drivers", ...: the first word that is no option
    ServerOptions server;
    ColorProfiles profiles;
};

// The sub-command papplMainloop will run for these arguments (empty when
// none is named).
std::string find_subcommand(int argc, char* argv[]);

}  // namespace tz::app
