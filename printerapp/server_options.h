// The server's -o options (papplMainloop hands them to the system
// callback), checked before anything is started.
#pragma once

#include <pappl/pappl.h>

#include <string>
#include <variant>

namespace tz::app {

inline constexpr const char* kAppName = "tz5170-printer-app";
inline constexpr int kDefaultPort = 8000;

struct ServerOptions {
    int port = kDefaultPort;        // server-port
    std::string listen_hostname;    // listen-hostname: only there; empty: every address
    std::string server_name;        // server-hostname: the name in URIs and DNS-SD
    std::string state_file;         // state-file
    std::string spool_directory;    // spool-directory; empty: PAPPL's choice
    std::string log_file;           // log-file: a file, "-" for stderr, "syslog"
    pappl_loglevel_t log_level = PAPPL_LOGLEVEL_INFO;  // log-level
    pappl_soptions_t options = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE | PAPPL_SOPTIONS_WEB_LOG;
    std::string auth_service;       // auth-service: PAM service for remote administration
    std::string admin_group;        // admin-group
    std::string icc_profile;        // icc-profile: every printer's default output profile
    std::string icc_directory;      // icc-directory: the output profiles offered in the web interface
    bool private_server = false;    // private-server=true: started by a sub-command for itself; keeps no state
};

// Where the state goes when -o state-file is not given: for the
// administrator /var/lib/tz5170-printer-app/tz5170-printer-app.state,
// otherwise ~/.config/tz5170-printer-app.state.
std::string default_state_file(bool administrator, const std::string& home);

// The options, or a message naming the one at fault. Unknown names are
// refused too: a typing error should not start a server with defaults.
// Remote administration (server-options=web-remote) needs auth-service.
std::variant<ServerOptions, std::string> parse_server_options(int count, const cups_option_t* options,
                                                              bool administrator, const std::string& home);

}  // namespace tz::app
