#include "device_table.h"

#include <cstring>

namespace tz::lib {

namespace {
constexpr ModelEntry kModelTable[] = {{kSupportedModelKey, 1, 0}};
}

const ModelEntry* find_model(uint32_t model_key) {
    for (const ModelEntry& model : kModelTable)
        if (model.model_key == model_key) return &model;
    return nullptr;
}

std::shared_ptr<platform::NamedMutex> MutexSlot::load() const {
    std::lock_guard guard(lock_);
    return value_;
}

std::shared_ptr<platform::NamedMutex> MutexSlot::exchange(std::shared_ptr<platform::NamedMutex> mutex) {
    std::lock_guard guard(lock_);
    value_.swap(mutex);
    return mutex;
}

Serial AtomicSerial::load() const {
    uint64_t packed = packed_;
    Serial value;
    std::memcpy(value.data(), &packed, kSerialSize);
    return value;
}

void AtomicSerial::store(const Serial& value) {
    uint64_t packed;
    std::memcpy(&packed, value.data(), kSerialSize);
    packed_ = packed;
}

void DeviceEntry::fill_serial(uint8_t byte) {
    Serial value;
    value.fill(byte);
    set_serial(value);
}

void DeviceEntry::occupy(int handle) {
    device_ = handle;
    answers_owed_ = 0;
    move_on();
}

void DeviceEntry::vacate() {
    device_ = -1;
    model_key_ = 0;
    fill_serial(0);
    answers_owed_ = 0;
    move_on();
}

void DeviceEntry::reset(uint8_t serial_fill) {
    device_ = -1;
    mutex_.store(nullptr);
    model_key_ = 0;
    write_pipe_ = -1;
    read_pipe_ = -1;
    fill_serial(serial_fill);
    move_on();
}

void DeviceTable::reset(uint8_t serial_fill) {
    for (DeviceEntry& entry : entries_) entry.reset(serial_fill);
}

DeviceTable& device_table() {
    static DeviceTable table;
    return table;
}

}  // namespace tz::lib
