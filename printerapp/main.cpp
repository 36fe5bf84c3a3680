// tz5170-printer-app: an IPP Everywhere printer application for the TARVO
// 5170 on PAPPL. Every printer the printer-control library finds is served
// to CUPS, phones and other computers, with a web interface.
#include <pappl/pappl.h>
#include <vips/vips8>

#include <cstdio>
#include <cstring>
#include <string>

#include "application.h"
#include "device_scheme.h"
#include "driver.h"
#include "printers.h"
#include "system_setup.h"
#include "tzpusb.h"

#ifndef TZ_VERSION
#define TZ_VERSION "0"
#endif

namespace tz::app {

namespace {

constexpr int kLibraryThreads = 100;  // the library's most: one for each printer's link, discovery, listings

void usage(void*) {
    std::printf(
        "Usage: %s SUB-COMMAND [OPTIONS] [FILENAME]\n"
        "       %s [OPTIONS] [FILENAME]\n"
        "\n"
        "An IPP Everywhere printer application for TARVO 5170 photo printers: every printer\n"
        "the printer-control library finds (tz5170://SERIAL) is served as\n"
        "ipp://HOST:PORT/ipp/print/SERIAL, with a web interface on the same port.\n"
        "\n"
        "Sub-commands:\n"
        "  server           Run the server (adds every printer found, at start and later).\n"
        "  add PRINTER      Add a printer (-v tz5170://SERIAL -m tz5170).\n"
        "  autoadd          Add every printer found that is not added yet.\n"
        "  cancel           Cancel one or more jobs.\n"
        "  default          Set the default printer.\n"
        "  delete           Delete a printer.\n"
        "  devices          List the printers the printer-control library finds.\n"
        "  drivers          List the drivers.\n"
        "  jobs             List jobs.\n"
        "  modify           Modify a printer.\n"
        "  options          List printer options.\n"
        "  pause, resume    Stop or start printing on a printer.\n"
        "  printers         List printers.\n"
        "  shutdown         Shut a running server down.\n"
        "  status           Show server, printer or job status.\n"
        "  submit           Submit a file for printing.\n"
        "\n"
        "Options:\n"
        "  --help           Show this help.\n"
        "  --version        Show the version.\n"
        "  -a               Cancel all jobs (cancel).\n"
        "  -d PRINTER       The printer.\n"
        "  -j JOB-ID        The job (cancel).\n"
        "  -m DRIVER-NAME   The driver, tz5170 (add, modify).\n"
        "  -n COPIES        Copies (submit).\n"
        "  -o NAME=VALUE    An option (add, modify, server, submit).\n"
        "  -u URI           The printer, ipp://HOST:PORT/ipp/print/NAME (submit).\n"
        "  -v DEVICE-URI    The device, tz5170://SERIAL (add, modify).\n"
        "\n"
        "Server options (-o NAME=VALUE):\n"
        "  server-port=N           TCP port (default %d).\n"
        "  listen-hostname=H       Listen on H only (e.g. localhost).\n"
        "  server-hostname=H       The host name in printer URIs.\n"
        "  state-file=FILE         Where printers and settings are kept.\n"
        "  spool-directory=DIR     Where jobs are spooled.\n"
        "  log-file=FILE           The log: a file, - for stderr (default), syslog.\n"
        "  log-level=L             debug, info (default), warn, error or fatal.\n"
        "  server-options=WORDS    Comma-separated: web-remote, web-security, web-network, web-tls,\n"
        "                          no-tls, raw-socket, dnssd-host, web-log, no-web-interface.\n"
        "  auth-service=NAME       PAM service for administration from other machines\n"
        "                          (web-remote needs it).\n"
        "  admin-group=GROUP       The group allowed to administer.\n"
        "  icc-profile=FILE        Output ICC profile, every printer's default.\n"
        "  icc-directory=DIR       Output ICC profiles offered in each printer's defaults.\n"
        "\n"
        "Exit status: 0 success, 1 failure.\n",
        kAppName, kAppName, kDefaultPort);
}

// libvips started for the process's lifetime (TIFF and WebP documents).
class Vips {
public:
    explicit Vips(const char* program) { ok_ = VIPS_INIT(program) == 0; }
    ~Vips() {
        if (ok_) vips_shutdown();
    }
    Vips(const Vips&) = delete;
    Vips& operator=(const Vips&) = delete;

private:
    bool ok_ = false;
};

}  // namespace

std::string find_subcommand(int argc, char* argv[]) {
    // Options that take the next word as their value.
    static const char kWithValue[] = "dhjmnouvt";
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (std::strcmp(word, "--") == 0) return {};
        if (word[0] == '-' && word[1] != '-' && word[1] != '\0') {
            // "-o NAME=VALUE" or "-oNAME=VALUE", and runs such as "-ad PRINTER".
            for (const char* letter = word + 1; *letter; ++letter)
                if (std::strchr(kWithValue, *letter)) {
                    if (letter[1] == '\0') ++i;
                    break;
                }
            continue;
        }
        if (word[0] == '-') continue;
        return word;
    }
    return {};
}

}  // namespace tz::app

int main(int argc, char* argv[]) {
    using namespace tz::app;
    Application app;
    app.subcommand = find_subcommand(argc, argv);
    Vips vips(argv[0]);
    tzpusb_MakeThread(kLibraryThreads);
    // Before papplMainloop, so that the server and every sub-command know it.
    register_device_scheme();
    const int status = papplMainloop(argc, argv, TZ_VERSION, nullptr, 1, kDrivers, autoadd_callback, driver_callback,
                                     nullptr, nullptr, system_callback, usage, &app);
    printers().stop_all();
    return status;
}
