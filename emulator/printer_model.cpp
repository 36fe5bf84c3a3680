#include "emulator/printer_model.h"

#include <algorithm>
#include <cstring>

#include "frames.h"
#include "status_report.h"

namespace tz::emulator {
namespace {

// A command packet: opcode, class, 16-bit little-endian payload length, payload.
constexpr size_t kCommandHeaderSize = 4;

struct CommandKey {
    uint8_t opcode;
    uint8_t command_class;
};

constexpr CommandKey kGetStatus{0x01, 0x00};

link::Hello make_hello(const Identity& identity, const std::string& serial) {
    link::Hello hello;
    hello.vendor_id = identity.vendor_id;
    hello.product_id = identity.product_id;
    std::memcpy(hello.serial.data(), serial.data(), std::min(serial.size(), link::kSerialSize));
    // An IEEE 1284 style description, the serial at bytes 110..117.
    std::string text = "MFG:TARVO;CMD:TZPL;MDL:5170;CLS:PRINTER;DES:TARVO 5170 Photo Printer;";
    text.resize(link::kSerialOffsetInIdString - 3, ' ');
    text += "SN:";
    std::memcpy(hello.id_string.data(), text.data(), text.size());
    std::memcpy(hello.id_string.data() + link::kSerialOffsetInIdString, hello.serial.data(), link::kSerialSize);
    hello.id_string[link::kSerialOffsetInIdString + link::kSerialSize] = ';';
    return hello;
}

}  // namespace

PrinterModel::PrinterModel(Identity identity, PrinterState state, std::string state_file, double time_scale)
    : identity_(identity), state_(std::move(state)), state_file_(std::move(state_file)), time_scale_(time_scale) {}

std::string PrinterModel::serial() const {
    std::lock_guard guard(lock_);
    return state_.serial;
}

link::Hello PrinterModel::hello() const {
    std::lock_guard guard(lock_);
    return make_hello(identity_, state_.serial);
}

void PrinterModel::set_hanging(bool hanging) {
    std::lock_guard guard(lock_);
    hanging_ = hanging;
}

bool PrinterModel::hanging() const {
    std::lock_guard guard(lock_);
    return hanging_;
}

bool PrinterModel::save_state() const {
    std::lock_guard guard(lock_);
    return emulator::save_state(state_file_, state_);
}

std::vector<Bytes> PrinterModel::on_transfer(const uint8_t* data, size_t size) {
    std::lock_guard guard(lock_);
    if (hanging_) return {};
    if (data == nullptr || size < kCommandHeaderSize) return {error_frame(kErrorBadParameter)};
    size_t length = static_cast<size_t>(data[2] | (data[3] << 8));
    if (kCommandHeaderSize + length != size) return {error_frame(kErrorBadParameter)};
    return {answer_command(data[0], data[1], data + kCommandHeaderSize, length)};
}

Bytes PrinterModel::answer_command(uint8_t opcode, uint8_t command_class, const uint8_t* /*payload*/,
                                   size_t length) {
    if (opcode == kGetStatus.opcode && command_class == kGetStatus.command_class) {
        if (length != 0) return error_frame(kErrorBadParameter);
        StatusReport report;  // idle: both job positions free
        return normal_frame(0x00, encode_status_payload(report));
    }
    return error_frame(kErrorUnknownCommand);
}

}  // namespace tz::emulator
