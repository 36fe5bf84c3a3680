// The Update Command and the USB firmware download command: they announce
// data that follows on the same connection. Firmware images are checked
// when complete and then rewritten.
#include "byteorder/little_endian.h"
#include "engine.h"
#include "firmware_image.h"

namespace tz::emulator {
namespace {

constexpr uint32_t kLaminatePatternSize = 9166080;  // 2464 x 3720

Answer refuse_because(Engine& e, std::string why) {
    e.last_refusal = std::move(why);
    return Engine::refuse();
}

// 0 target, 1 sub-target, 2 restart byte (non-zero: restart once the firmware
// is rewritten), 3..5 zero, 6..9 byte count (LE32).
Answer update(Engine& e, Session& session, const Command& c) {
    const uint8_t target = c.payload[0], sub = c.payload[1], restart = c.payload[2];
    const uint32_t count = read_le32(c.payload + 6);
    DataPhase data;
    data.expected = count;
    if (auto part = firmware_part_of_target(target)) {
        std::string why;
        if (sub != 0) return refuse_because(e, "firmware update with sub-target " + std::to_string(sub));
        if (!firmware_size_acceptable(*part, count, &why)) return refuse_because(e, why);
        if (e.machine.occupied() > 0) return {error_frame(kStateBusy), {}};
        data.target = DataPhase::Target::Firmware;
        data.part = *part;
        data.restart = restart;
        data.bytes.reserve(count);
    } else if (target == 3 || target == 4) {
        if (sub < 1 || sub > 4 || count != kToneCurveBytes) return refuse_because(e, "tone curve update needs kind 1..4 and 1536 bytes");
        data.target = DataPhase::Target::ToneCurve;
        data.curve_type = target - 2;
        data.curve_kind = sub;
    } else if (target == 16) {
        if (sub != 0 || (count != 0 && count != kLaminatePatternSize))
            return refuse_because(e, "a laminate pattern is 9166080 bytes");
        data.target = DataPhase::Target::Laminate;
    } else {
        return refuse_because(e, "no update target " + std::to_string(target));
    }
    Bytes ack = e.ack();
    if (data.target == DataPhase::Target::Laminate && count == 0) return {ack, {}};  // nothing to change
    e.start_data(session, std::move(data));
    return {ack, {}};
}

// 0 mode (1), 1..2 address (0x4000), 3..4 length (0xC000), all LE.
Answer usb_firmware_download(Engine& e, Session& session, const Command& c) {
    if (c.payload[0] != 1 || read_le16(c.payload + 1) != 0x4000 || read_le16(c.payload + 3) != kUsbImageSize)
        return refuse_because(e, "USB firmware download needs mode 1, address 0x4000, length 0xC000");
    DataPhase data;
    data.target = DataPhase::Target::Firmware;
    data.part = FirmwarePart::Usb;
    data.expected = kUsbImageSize;
    data.bytes.reserve(kUsbImageSize);
    Bytes ack = e.ack();
    e.start_data(session, std::move(data));
    return {ack, {}};
}

}  // namespace

void finish_firmware_data(Engine& e, DataPhase& data) {
    std::string why;
    std::optional<FirmwareVersion> version = check_firmware_image(data.part, data.bytes, &why);
    if (!version) {
        e.refuse_data(why);
        return;
    }
    // Another connection may have started a rewrite, a restart, a diagnosis
    // or a page while this image arrived: the flash is not free for it.
    if (!e.machine.ready() || e.machine.occupied() > 0) {
        e.refuse_data(std::string(firmware_part_name(data.part)) + " image arrived while the printer was busy");
        return;
    }
    e.rewriting_image = image_as_file(data.part, std::move(data.bytes));
    e.machine.start_rewrite(data.part, *version, data.restart != 0, e.now());
}

void finish_laminate_data(Engine& e, DataPhase& data) {
    e.state.laminate = LaminatePattern{true, data.expected, data.crc ^ 0xFFFFFFFFu};
    e.persist();
}

void add_download_commands(std::vector<CommandEntry>& table) {
    table.push_back({0x04, 0xC0, "Update Command", 10, Needs::Ready, update});
    table.push_back({0x01, 0x80, "USB firmware download command", 5, Needs::ReadyAndEmpty, usb_firmware_download});
}

}  // namespace tz::emulator
