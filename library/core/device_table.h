// The printers this process has opened, indexed by the device handle the USB
// control library gave them, and the per-printer mutex shared by every
// process that talks to the same printer.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/named_mutex.h"

namespace tz::lib {

inline constexpr int kDeviceTableSize = 128;
inline constexpr uint8_t kNoPrinter = 255;
inline constexpr size_t kSerialSize = 8;
using Serial = std::array<uint8_t, kSerialSize>;

// A serial that one thread may store while another loads it.
class AtomicSerial {
public:
    Serial load() const;
    void store(const Serial& value);

private:
    std::atomic<uint64_t> packed_{0};
};

// ModelKey of the supported printer: vendor id 0x0F3C, product id 0x5A17.
inline constexpr uint32_t kSupportedModelKey = 0x0F3C5A17;

// The built-in model table: the pipes of each supported model.
struct ModelEntry {
    uint32_t model_key;
    uint8_t read_pipe_number;
    uint8_t write_pipe_number;
};
const ModelEntry* find_model(uint32_t model_key);

inline std::shared_ptr<platform::NamedMutex> nullptr_mutex() { return {}; }

// The entry's printer mutex: one thread replaces it while others take a
// reference to it.
class MutexSlot {
public:
    std::shared_ptr<platform::NamedMutex> load() const;
    void store(std::shared_ptr<platform::NamedMutex> mutex) { exchange(std::move(mutex)); }
    std::shared_ptr<platform::NamedMutex> exchange(std::shared_ptr<platform::NamedMutex> mutex);
    MutexSlot& operator=(std::shared_ptr<platform::NamedMutex> mutex) {
        store(std::move(mutex));
        return *this;
    }

private:
    mutable std::mutex lock_;
    std::shared_ptr<platform::NamedMutex> value_;
};

// One entry. Fields are changed under the library lock; printer operations
// and the status inquiries of other threads read them without it.
struct DeviceEntry {
    std::atomic<int> device{-1};
    MutexSlot mutex;
    std::atomic<uint32_t> model_key{0};
    std::atomic<intptr_t> write_pipe{-1};
    std::atomic<intptr_t> read_pipe{-1};

    // Counts the printers the entry has held: it moves on whenever the entry
    // is taken by a device or given up, so a context that selected an entry
    // can tell that it now holds another connection, or another printer.
    std::atomic<uint32_t> generation{0};
    // Answers the printer may still send for commands whose reads gave up at
    // the time limit; whoever talks to it next waits for them briefly first.
    std::atomic<uint32_t> answers_owed{0};

    Serial serial() const;
    void set_serial(const Serial& value);
    void fill_serial(uint8_t byte);
    bool in_use() const { return device != -1; }
    // The entry now holds device `handle`.
    void occupy(int handle);
    // The entry holds no device any more: no model, serial zeros.
    void vacate();

private:
    AtomicSerial serial_;
};

class DeviceTable {
public:
    DeviceEntry& operator[](size_t index) { return entries_[index]; }
    // Back to empty: no devices, mutexes or pipes; serials filled with `serial_fill`.
    void reset(uint8_t serial_fill);

private:
    std::array<DeviceEntry, kDeviceTableSize> entries_;
};

DeviceTable& device_table();

}  // namespace tz::lib
