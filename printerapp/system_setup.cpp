#include "system_setup.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "application.h"
#include "details_page.h"
#include "driver.h"
#include "image_filter.h"
#include "platform/process.h"
#include "printer_activity.h"

#ifndef TZ_VERSION
#define TZ_VERSION "0"
#endif

namespace tz::app {

namespace {

// Our save callback: the state goes to the file the options name (never to
// PAPPL's default under /var), written beside it first, then moved over it.
bool save_state(pappl_system_t* system, void* data) {
    const std::string& path = *static_cast<const std::string*>(data);
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    const std::string fresh = path + ".new";
    if (!papplSystemSaveState(system, fresh.c_str())) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "Cannot write the state file %s.", fresh.c_str());
        return false;
    }
    std::filesystem::rename(fresh, path, error);
    if (error) papplLog(system, PAPPL_LOGLEVEL_ERROR, "Cannot replace the state file %s: %s.", path.c_str(), error.message().c_str());
    return !error;
}

// The network listeners; PAPPL's main loop adds the local socket the
// sub-commands talk to (/run/tz5170-printer-app.sock for the administrator)
// itself.
bool add_listeners(pappl_system_t* system, const ServerOptions& server) {
    return papplSystemAddListeners(system, server.listen_hostname.empty() ? nullptr : server.listen_hostname.c_str());
}

// The colour profiles; false with a message when -o icc-profile names no
// usable profile.
bool find_color_profiles(Application& app) {
    std::vector<std::string> rejected;
    app.profiles = find_profiles(app.server.icc_directory, app.server.icc_profile, rejected);
    for (const std::string& message : rejected) std::fprintf(stderr, "%s: %s\n", kAppName, message.c_str());
    if (!app.server.icc_profile.empty() && app.profiles.default_name == kNoProfile) {
        std::fprintf(stderr, "%s: -o icc-profile=%s is not a usable output profile\n", kAppName, app.server.icc_profile.c_str());
        return false;
    }
    return true;
}

}  // namespace

pappl_system_t* system_callback(int count, cups_option_t* options, void* data) {
    auto& app = *static_cast<Application*>(data);
    const char* home = std::getenv("HOME");
    auto parsed = parse_server_options(count, options, platform::running_as_administrator(), home ? home : "");
    if (auto* message = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "%s: %s\n", kAppName, message->c_str());
        return nullptr;
    }
    app.server = std::get<ServerOptions>(parsed);
    const ServerOptions& server = app.server;
    const bool serving = app.subcommand == "server";
    if (serving && !find_color_profiles(app)) return nullptr;

    pappl_system_t* system = papplSystemCreate(
        server.options, "TARVO 5170 Printer Application", server.port, "_print,_universal",
        server.spool_directory.empty() ? nullptr : server.spool_directory.c_str(),
        server.log_file.empty() ? "-" : server.log_file.c_str(), server.log_level,
        server.auth_service.empty() ? nullptr : server.auth_service.c_str(), false);
    if (system == nullptr) {
        std::fprintf(stderr, "%s: cannot create the printer system\n", kAppName);
        return nullptr;
    }
    papplSystemSetPrinterDrivers(system, 1, kDrivers, autoadd_callback, add_details_page, driver_callback, &app);
    pappl_version_t version{};
    papplCopyString(version.name, kAppName, sizeof version.name);
    papplCopyString(version.sversion, TZ_VERSION, sizeof version.sversion);
    papplSystemSetVersions(system, 1, &version);
    if (!server.server_name.empty()) papplSystemSetHostName(system, server.server_name.c_str());
    if (!server.admin_group.empty()) papplSystemSetAdminGroup(system, server.admin_group.c_str());
    if (!serving) return system;  // `drivers` and the like: no listeners, no state, no watching, no pages
    // (PAPPL 1.3.1 does not free the footer when the system is deleted.)
    papplSystemSetFooterHTML(system, "TARVO 5170 Printer Application " TZ_VERSION);

    if (!add_listeners(system, server)) {
        std::fprintf(stderr, "%s: cannot listen on %s port %d\n", kAppName,
                     server.listen_hostname.empty() ? "every address" : server.listen_hostname.c_str(), server.port);
        papplSystemDelete(system);
        return nullptr;
    }
    std::error_code error;
    if (server.private_server) {
        // A server a sub-command started for itself keeps nothing (PAPPL's
        // main loop would otherwise save to its own default under /var).
        papplSystemSetSaveCallback(system, [](pappl_system_t*, void*) { return true; }, nullptr);
    } else {
        if (std::filesystem::exists(server.state_file, error)) papplSystemLoadState(system, server.state_file.c_str());
        papplSystemSetSaveCallback(system, save_state, &app.server.state_file);
    }

    const std::string profile_folder = server.spool_directory.empty() ? papplGetTempDir() : server.spool_directory;
    std::filesystem::create_directories(profile_folder, error);
    app.profiles.source = write_srgb_profile(profile_folder);
    add_image_filters(system);
    start_printer_watch(system);
    return system;
}

}  // namespace tz::app
