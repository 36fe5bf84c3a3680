#include "command_packets.h"

#include <algorithm>
#include <cstring>

namespace tz::lib::packets {
namespace {

// Lays out a packet field by field; the length is filled in by done().
class Builder {
public:
    Builder(uint8_t opcode, uint8_t command_class) {
        packet_.bytes[0] = opcode;
        packet_.bytes[1] = command_class;
        at_ = kHeaderSize;
    }
    Builder& u8(uint8_t value) {
        packet_.bytes[at_++] = value;
        return *this;
    }
    Builder& u16(uint16_t value) { return u8(static_cast<uint8_t>(value)).u8(static_cast<uint8_t>(value >> 8)); }
    Builder& u32(uint32_t value) { return u16(static_cast<uint16_t>(value)).u16(static_cast<uint16_t>(value >> 16)); }
    Builder& raw(const uint8_t* data, size_t size) {
        std::memcpy(packet_.bytes.data() + at_, data, size);
        at_ += size;
        return *this;
    }
    Packet done() {
        size_t payload = at_ - kHeaderSize;
        packet_.bytes[2] = static_cast<uint8_t>(payload);
        packet_.bytes[3] = static_cast<uint8_t>(payload >> 8);
        packet_.size = static_cast<uint16_t>(at_);
        return packet_;
    }

private:
    Packet packet_;
    size_t at_;
};

}  // namespace

Packet print(const PrintCommandFields& f) {
    return Builder(0x01, kControl)
        .u8(f.job_number)
        .u16(f.copies)
        .u16(f.image_width)
        .u16(f.image_height)
        .u16(f.area_width)
        .u16(f.area_height)
        .u16(f.offset_x)
        .u16(f.offset_y)
        .u8(f.setting20)
        .u8(0)
        .u8(f.setting30)
        .done();
}

Packet cancel_print_job(uint8_t print_id) { return Builder(0x02, kControl).u8(print_id).done(); }
Packet flash_led() { return Builder(0x03, kControl).done(); }
Packet reset(uint8_t target, uint8_t sub_target) { return Builder(0x04, kControl).u8(target).u8(sub_target).done(); }
Packet read_tone_curve(uint8_t type, uint8_t kind) { return Builder(0x05, kControl).u8(type).u8(kind).done(); }
Packet operation_button(uint8_t value) { return Builder(0x06, kControl).u8(value).done(); }
Packet set_parameter(uint8_t number, uint32_t value) { return Builder(0x07, kControl).u8(number).u32(value).done(); }
Packet get_status() { return Builder(0x01, kInquiry).done(); }
Packet get_media_information() { return Builder(0x02, kInquiry).done(); }

Packet get_model_name() {
    Packet packet;
    const uint8_t magic[] = {0x03, 0x00, 'T', 'Z', 'P', 'F'};
    std::memcpy(packet.bytes.data(), magic, sizeof magic);
    packet.size = 16;
    return packet;
}

Packet get_error_log() { return Builder(0x04, kInquiry).done(); }
Packet get_parameter(uint8_t number) { return Builder(0x05, kInquiry).u8(number).done(); }
Packet get_serial() { return Builder(0x06, kInquiry).done(); }

Packet self_diagnosis(uint8_t first, uint8_t second, uint8_t third) {
    return Builder(0x01, kMaintenance).u8(first).u8(second).u8(third).done();
}

Packet batch_diagnosis_result() { return Builder(0x02, kMaintenance).done(); }
Packet get_firmware_information(uint8_t component) { return Builder(0x03, kMaintenance).u8(component).done(); }

Packet update(uint8_t target, uint8_t sub_target, uint32_t restart, uint32_t byte_count) {
    return Builder(0x04, kMaintenance).u8(target).u8(sub_target).u32(restart).u32(byte_count).done();
}

Packet update_with_restart_byte(uint8_t target, uint8_t sub_target, uint8_t restart, uint32_t byte_count) {
    return Builder(0x04, kMaintenance).u8(target).u8(sub_target).u8(restart).u8(0).u8(0).u8(0).u32(byte_count).done();
}

Packet reset_error_log() { return Builder(0x08, kMaintenance).done(); }
Packet set_serial(const uint8_t* serial) { return Builder(0x09, kMaintenance).raw(serial, 8).done(); }

Packet usb_firmware_download(uint8_t mode, uint16_t address, uint16_t length) {
    return Builder(0x01, kDownload).u8(mode).u16(address).u16(length).done();
}

std::optional<Packet> universal(const uint8_t* payload, int length) {
    size_t size = static_cast<uint8_t>(length);
    if (size > kUniversalPayloadLimit || (size > 0 && payload == nullptr)) return std::nullopt;
    Builder builder(0xFF, kMaintenance);
    if (size > 0) builder.raw(payload, size);
    return builder.done();
}

Packet set_laminate_string(const LaminateStringFields& f) {
    return Builder(0x08, kControl)
        .u8(f.slot)
        .u16(f.value_a)
        .u16(f.value_b)
        .u8(f.value_c)
        .u8(f.value_d)
        .u8(std::min<uint8_t>(f.text_length, 20))
        .raw(f.text.data(), f.text.size())
        .done();
}

Packet get_print_id_status(uint8_t print_id) { return Builder(0x07, kInquiry).u8(print_id).done(); }

Packet set_cut_list(const CutListFields& f) {
    Builder builder(0x09, kControl);
    builder.u8(f.count);
    for (uint16_t cut : f.cuts) builder.u16(cut);
    return builder.done();
}

Packet wake_up_standby(uint8_t mode) { return Builder(0x0A, kControl).u8(mode).done(); }

}  // namespace tz::lib::packets
