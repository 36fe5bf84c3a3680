// The command packets the library sends: opcode, command class, 16-bit
// little-endian payload length, payload. Pure: values in, bytes out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tz::lib::packets {

// Command classes.
inline constexpr uint8_t kInquiry = 0x00;
inline constexpr uint8_t kControl = 0x40;
inline constexpr uint8_t kDownload = 0x80;
inline constexpr uint8_t kMaintenance = 0xC0;

inline constexpr size_t kHeaderSize = 4;
inline constexpr size_t kUniversalPayloadLimit = 250;

struct Packet {
    std::array<uint8_t, 256> bytes{};
    uint16_t size = 0;
    const uint8_t* data() const { return bytes.data(); }
};

// The values of the next page the Print Command carries.
struct PrintCommandFields {
    uint8_t job_number = 0;  // low byte of the print ID
    uint16_t copies = 1;
    uint16_t image_width = 0, image_height = 0;
    uint16_t area_width = 0, area_height = 0;
    uint16_t offset_x = 0, offset_y = 0;
    uint8_t setting20 = 2;
    uint8_t setting30 = 0;
};

struct LaminateStringFields {
    uint8_t slot = 0;
    uint16_t value_a = 0, value_b = 0;
    uint8_t value_c = 0, value_d = 0;
    uint8_t text_length = 0;  // limited to 20
    std::array<uint8_t, 20> text{};
};

struct CutListFields {
    uint8_t count = 0xFF;  // 0xFF: no cut list
    std::array<uint16_t, 36> cuts{};
};

Packet print(const PrintCommandFields& fields);
Packet cancel_print_job(uint8_t print_id);
Packet flash_led();
Packet reset(uint8_t target, uint8_t sub_target);
Packet read_tone_curve(uint8_t type, uint8_t kind);
Packet operation_button(uint8_t value);
Packet set_parameter(uint8_t number, uint32_t value);
Packet get_status();
Packet get_media_information();
// Exactly 16 bytes: 03 00 'T' 'Z' 'P' 'F' and ten zeros (no length field).
Packet get_model_name();
Packet get_error_log();
Packet get_parameter(uint8_t number);
Packet get_serial();
Packet self_diagnosis(uint8_t first, uint8_t second, uint8_t third);
Packet batch_diagnosis_result();
Packet get_firmware_information(uint8_t component);
Packet update(uint8_t target, uint8_t sub_target, uint32_t restart, uint32_t byte_count);
// The download-mode announcement: only the low 8 bits of the restart request,
// then three zero bytes.
Packet update_with_restart_byte(uint8_t target, uint8_t sub_target, uint8_t restart, uint32_t byte_count);
Packet reset_error_log();
Packet set_serial(const uint8_t* serial /* 8 */);
Packet usb_firmware_download(uint8_t mode, uint16_t address, uint16_t length);
// The caller's payload; its length is taken as the low 8 bits of `length`.
// Nothing when that exceeds 250.
std::optional<Packet> universal(const uint8_t* payload, int length);
Packet set_laminate_string(const LaminateStringFields& fields);
Packet get_print_id_status(uint8_t print_id);
Packet set_cut_list(const CutListFields& fields);
Packet wake_up_standby(uint8_t mode);

}  // namespace tz::lib::packets
