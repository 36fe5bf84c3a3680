#include "details_page.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "common/result_meanings.h"
#include "device_scheme.h"
#include "lasting_text.h"
#include "printer_queries.h"
#include "printers.h"

namespace tz::app {

namespace {

constexpr auto kReadLimit = std::chrono::seconds(10);

std::string page_path(pappl_printer_t* printer) {
    char path[1024] = {};
    papplPrinterGetPath(printer, "details", path, sizeof path);
    return path;
}

void escaped(pappl_client_t* client, const std::string& text) { papplClientHTMLEscape(client, text.c_str(), text.size()); }

// printf-style text, formatted here: PAPPL's own HTML printf knows few conversions.
template <class... Args>
std::string format(const char* pattern, Args... args) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

void row(pappl_client_t* client, const char* label, const std::string& value) {
    papplClientHTMLPuts(client, "<tr><th>");
    papplClientHTMLPuts(client, label);
    papplClientHTMLPuts(client, "</th><td>");
    escaped(client, value);
    papplClientHTMLPuts(client, "</td></tr>\n");
}

// A section's title; false (and a line saying so) when the printer did not
// report what it shows.
bool section(pappl_client_t* client, const char* title, bool reported, const char* what) {
    papplClientHTMLPuts(client, (std::string("<h2 class=\"title\">") + title + "</h2>\n").c_str());
    if (!reported) papplClientHTMLPuts(client, (std::string("<p>The printer did not report its ") + what + ".</p>\n").c_str());
    return reported;
}

void show_firmware(pappl_client_t* client, const PrinterDetails& details) {
    if (!section(client, "Firmware", !details.firmware.empty(), "firmware table")) return;
    papplClientHTMLPuts(client, "<table class=\"list\"><thead><tr><th>#</th><th>Name</th><th>Type</th><th>Date</th>"
                                "<th>Version</th><th>Value</th></tr></thead><tbody>\n");
    int index = 1;
    for (const FirmwareEntry& entry : details.firmware) {
        papplClientHTMLPuts(client, format("<tr><td>%d</td><td>", index++).c_str());
        escaped(client, entry.name);
        papplClientHTMLPuts(client, "</td><td>");
        escaped(client, entry.type);
        papplClientHTMLPuts(client, "</td><td>");
        escaped(client, entry.date);
        papplClientHTMLPuts(client, format("</td><td>%02X.%02X</td><td>0x%04X</td></tr>\n", entry.major, entry.minor, entry.value).c_str());
    }
    papplClientHTMLPuts(client, "</tbody></table>\n");
}

void show_error_log(pappl_client_t* client, const PrinterDetails& details) {
    if (!section(client, "Error log", !details.error_log.empty(), "error log")) return;
    papplClientHTMLPuts(client, "<pre>");
    for (size_t at = 0; at < details.error_log.size(); at += 16) {
        std::string line = format("%04zx ", at);
        for (size_t i = at; i < at + 16 && i < details.error_log.size(); ++i) line += format(" %02x", details.error_log[i]);
        papplClientHTMLPuts(client, (line + "\n").c_str());
    }
    papplClientHTMLPuts(client, "</pre>\n");
}

bool serve_details(pappl_client_t* client, void* data) {
    pappl_system_t* system = papplClientGetSystem(client);
    const std::string serial = static_cast<const char*>(data);
    pappl_printer_t* printer = papplSystemFindPrinter(system, nullptr, 0, uri_for(serial).c_str());
    if (printer == nullptr) return papplClientRespond(client, HTTP_STATUS_NOT_FOUND, nullptr, nullptr, 0, 0);
    if (papplClientGetMethod(client) != HTTP_STATE_GET)
        return papplClientRespond(client, HTTP_STATUS_METHOD_NOT_ALLOWED, nullptr, nullptr, 0, 0);

    PrinterEntry& entry = printers().get(serial);
    std::optional<PrinterDetails> details =
        entry.link.call<PrinterDetails>([&link = entry.link] { return read_details(link); }, kReadLimit);

    papplClientHTMLPrinterHeader(client, printer, "Printer Details", 0, nullptr, nullptr);  // answers 200 too
    papplClientHTMLPuts(client, "<div class=\"row\"><div class=\"col-12\">\n<table class=\"form\">\n");
    row(client, "Serial", serial);
    if (!details) {
        row(client, "State", "the printer is busy and did not answer in time; reload the page");
    } else {
        row(client, "State", tools::describe_result(details->status));
        if (!details->serial_recorded.empty()) row(client, "Serial (recorded)", details->serial_recorded);
        if (!details->serial_reported.empty()) row(client, "Serial (reported)", details->serial_reported);
        if (details->prints) row(client, "Print counter", std::to_string(*details->prints));
        if (details->media) {
            row(client, "Media", std::to_string(details->media->width) + " x " + std::to_string(details->media->height) +
                                     " pixels at 300 dpi");
            row(client, "Prints left", std::to_string(details->media->prints_left));
        }
    }
    papplClientHTMLPuts(client, "</table>\n");
    if (details) {
        show_firmware(client, *details);
        show_error_log(client, *details);
    }
    papplClientHTMLPuts(client, "</div></div>\n");
    papplClientHTMLPrinterFooter(client);
    return true;
}

}  // namespace

void add_details_page(pappl_printer_t* printer, void*) {
    const char* uri = papplPrinterGetDeviceURI(printer);
    const std::optional<std::string> serial = serial_from_uri(uri ? uri : "");
    if (!serial) return;
    const std::string path = page_path(printer);
    papplSystemAddResourceCallback(papplPrinterGetSystem(printer), path.c_str(), "text/html", serve_details,
                                   const_cast<char*>(lasting_text(*serial)));
    papplPrinterAddLink(printer, "Printer Details", path.c_str(), PAPPL_LOPTIONS_NAVIGATION | PAPPL_LOPTIONS_STATUS);
}

void remove_details_page(pappl_printer_t* printer) {
    papplSystemRemoveResource(papplPrinterGetSystem(printer), page_path(printer).c_str());
}

}  // namespace tz::app
