#include "server_options.h"

#include <cstdlib>
#include <map>
#include <set>

namespace tz::app {

namespace {

const std::map<std::string, pappl_loglevel_t> kLogLevels = {
    {"debug", PAPPL_LOGLEVEL_DEBUG}, {"info", PAPPL_LOGLEVEL_INFO},   {"warn", PAPPL_LOGLEVEL_WARN},
    {"error", PAPPL_LOGLEVEL_ERROR}, {"fatal", PAPPL_LOGLEVEL_FATAL},
};

// server-options: words as PAPPL's own main loop takes them.
const std::map<std::string, std::pair<pappl_soptions_t, bool>> kServerWords = {
    {"dnssd-host", {PAPPL_SOPTIONS_DNSSD_HOST, true}},     {"raw-socket", {PAPPL_SOPTIONS_RAW_SOCKET, true}},
    {"no-multi-queue", {PAPPL_SOPTIONS_MULTI_QUEUE, false}}, {"no-web-interface", {PAPPL_SOPTIONS_WEB_INTERFACE, false}},
    {"web-log", {PAPPL_SOPTIONS_WEB_LOG, true}},           {"web-network", {PAPPL_SOPTIONS_WEB_NETWORK, true}},
    {"web-remote", {PAPPL_SOPTIONS_WEB_REMOTE, true}},     {"web-security", {PAPPL_SOPTIONS_WEB_SECURITY, true}},
    {"web-tls", {PAPPL_SOPTIONS_WEB_TLS, true}},           {"no-tls", {PAPPL_SOPTIONS_NO_TLS, true}},
};

// The options that are a text, and where each goes.
const std::map<std::string, std::string ServerOptions::*> kTexts = {
    {"listen-hostname", &ServerOptions::listen_hostname}, {"server-hostname", &ServerOptions::server_name},
    {"state-file", &ServerOptions::state_file},           {"spool-directory", &ServerOptions::spool_directory},
    {"log-file", &ServerOptions::log_file},               {"auth-service", &ServerOptions::auth_service},
    {"admin-group", &ServerOptions::admin_group},         {"icc-profile", &ServerOptions::icc_profile},
    {"icc-directory", &ServerOptions::icc_directory},
};
const std::set<std::string> kOthers = {"server-port", "log-level", "server-options",
                                       "private-server"};  // the last one PAPPL's main loop adds itself

}  // namespace

std::string default_state_file(bool administrator, const std::string& home) {
    if (administrator) return std::string("/var/lib/") + kAppName + "/" + kAppName + ".state";
    return (home.empty() ? std::string(".") : home) + "/.config/" + kAppName + ".state";
}

std::variant<ServerOptions, std::string> parse_server_options(int count, const cups_option_t* options,
                                                              bool administrator, const std::string& home) {
    ServerOptions out;
    out.state_file = default_state_file(administrator, home);
    for (int i = 0; i < count; ++i) {
        const std::string name = options[i].name, value = options[i].value ? options[i].value : "";
        if (!kTexts.count(name) && !kOthers.count(name))
            return "unknown option -o " + name + " (see --help)";  // a typing error must not start a server with defaults
        if (name == "server-port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || port < 1 || port > 65535)
                return "-o server-port=" + value + ": a port number from 1 to 65535";
            out.port = int(port);
        } else if (name == "log-level") {
            auto level = kLogLevels.find(value);
            if (level == kLogLevels.end()) return "-o log-level=" + value + ": debug, info, warn, error or fatal";
            out.log_level = level->second;
        } else if (name == "server-options") {
            size_t start = 0;
            while (start <= value.size()) {
                const size_t comma = value.find(',', start);
                const std::string word = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                if (!word.empty()) {
                    auto known = kServerWords.find(word);
                    if (known == kServerWords.end()) return "-o server-options: unknown word \"" + word + "\"";
                    if (known->second.second)
                        out.options |= known->second.first;
                    else
                        out.options &= ~known->second.first;
                }
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        } else if (name == "private-server") {
            out.private_server = value == "true";
        } else if (auto text = kTexts.find(name); text != kTexts.end()) {
            if (value.empty()) return "-o " + name + " needs a value";
            out.*(text->second) = value;
        }
    }
    if ((out.options & PAPPL_SOPTIONS_WEB_REMOTE) && out.auth_service.empty())
        return "-o server-options=web-remote needs -o auth-service=NAME (a PAM service): remote administration "
               "without authentication would let anybody on the network change the printers";
    return out;
}

}  // namespace tz::app
