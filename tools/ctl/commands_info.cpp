// info: firmware table, media size, serials, USB identity and error log.
#include <algorithm>
#include <cstdio>

#include "byteorder/little_endian.h"
#include "tool.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

constexpr size_t kEntrySize = 38;
constexpr size_t kEntryCount = 7;


// Reads one printer-information record; throws when the printer does not deliver it.
std::vector<uint8_t> read_info(const PrinterSession& session, int tag, uint32_t size, const char* what) {
    std::vector<uint8_t> buffer(size);
    uint32_t got = size;
    if (!tzpusb_getPrinterInfo(tag, buffer.data(), &got) || got == 0) {
        uint16_t status = 0;
        tzpusb_status(&status);  // the record read has no code of its own; the state tells why
        throw Failure("cannot read the " + std::string(what) + " (tag " + std::to_string(tag) + ") of " +
                          session.serial(),
                      status != 0 ? unsigned{status} : unsigned{TZP_USB_ERROR});
    }
    buffer.resize(got);
    return buffer;
}

void run_info(const Tool& tool) {
    PrinterSession session(tool.options);
    std::vector<uint8_t> engine = read_info(session, PINFTAG_ENGID, 1 + kEntryCount * kEntrySize, "firmware table");
    std::vector<uint8_t> media = read_info(session, PINFTAG_MEDIA, 13, "media information");
    std::vector<uint8_t> recorded = read_info(session, PINFTAG_SERIAL, 8, "recorded serial");
    std::vector<uint8_t> reported = read_info(session, PINFTAG_PRINTER_SERIAL, 8, "reported serial");
    std::vector<uint8_t> usb = read_info(session, PINFTAG_USBID, 54, "USB identity");
    std::vector<uint8_t> errlog = read_info(session, PINFTAG_ERRLOG, 61, "error log");

    nlohmann::json firmware = nlohmann::json::array();
    std::string human = "printer " + session.serial() + "\nfirmware (" + std::to_string(engine[0]) + " entries):\n";
    human += "  #  name      type              date        version  value\n";
    size_t entries = std::min<size_t>(engine[0], kEntryCount);
    for (size_t i = 0; i < entries && 1 + (i + 1) * kEntrySize <= engine.size(); ++i) {
        const uint8_t* e = engine.data() + 1 + i * kEntrySize;
        std::string name = fixed_text(e, 8), type = fixed_text(e + 8, 16), date = fixed_text(e + 24, 10);
        unsigned major = e[34], minor = e[35], value = tz::read_le16(e + 36);
        firmware.push_back({{"index", i + 1}, {"name", name}, {"type", type}, {"date", date},
                            {"version_major", major}, {"version_minor", minor}, {"value", value}});
        char line[128];
        std::snprintf(line, sizeof line, "  %zu  %-8s  %-16s  %-10s  %02X.%02X    0x%04x\n", i + 1, name.c_str(),
                      type.c_str(), date.c_str(), major, minor, value);
        human += line;
    }
    unsigned width = media.size() >= 8 ? tz::read_le16(media.data() + 4) : 0;
    unsigned height = media.size() >= 8 ? tz::read_le16(media.data() + 6) : 0;
    unsigned vendor = usb.size() >= 4 ? tz::read_le16(usb.data()) : 0, product = usb.size() >= 4 ? tz::read_le16(usb.data() + 2) : 0;
    std::string usb_text = usb.size() > 4 ? fixed_text(usb.data() + 4, std::min<size_t>(46, usb.size() - 4)) : "";
    char ids[32];
    std::snprintf(ids, sizeof ids, "%04x:%04x", vendor, product);

    human += "media: largest print " + std::to_string(width) + " x " + std::to_string(height) +
             " (record " + hex_string(media.data(), media.size()) + ")\n";
    human += "serial: recorded " + fixed_text(recorded.data(), recorded.size()) + ", reported " +
             fixed_text(reported.data(), reported.size()) + "\n";
    human += std::string("USB identity: ") + ids + " \"" + usb_text + "\"\n";
    human += "error log (" + std::to_string(errlog.size()) + " bytes):\n" + hex_dump(errlog.data(), errlog.size());

    nlohmann::json document{
        {"serial", session.serial()},
        {"firmware", firmware},
        {"media", {{"width", width}, {"height", height}, {"record", hex_string(media.data(), media.size())}}},
        {"serial_recorded", fixed_text(recorded.data(), recorded.size())},
        {"serial_reported", fixed_text(reported.data(), reported.size())},
        {"usb", {{"vendor_id", vendor}, {"product_id", product}, {"text", usb_text}}},
        {"error_log", hex_string(errlog.data(), errlog.size())},
    };
    tool.emit(document, human);
}

void register_info(CLI::App& app, Tool& tool) {
    app.add_subcommand("info", "firmware table, media, serials, USB identity, error log")->callback([&tool] {
        tool.action = [&tool] { run_info(tool); };
    });
}

const CommandRegistration info_registration(30, register_info);

}  // namespace

}  // namespace tz::ctl
