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

// The entry's printer mutex: one thread replaces it while others take a
// reference to it.
class MutexSlot {
public:
    std::shared_ptr<platform::NamedMutex> load() const;
    void store(std::shared_ptr<platform::NamedMutex> mutex) { exchange(std::move(mutex)); }
    std::shared_ptr<platform::NamedMutex> exchange(std::shared_ptr<platform::NamedMutex> mutex);

private:
    mutable std::mutex lock_;
    std::shared_ptr<platform::NamedMutex> value_;
};

// One entry of the device table: the device a handle of the USB control
// library names, its printer's mutex, model, serial and pipe handles. Its
// state changes under the library lock; printer operations and the status
// inquiries of other threads read it without, so each part is read and
// written whole.
class DeviceEntry {
public:
    // The device handle the entry holds, or -1.
    int device() const { return device_; }
    bool in_use() const { return device_ != -1; }
    // The entry now holds device `handle`; it moves on.
    void occupy(int handle);
    // The entry holds no device any more: no model, serial zeros; it moves on.
    void vacate();
    // Back to empty: no device, mutex, model or pipes, the serial filled with
    // `serial_fill`; it moves on.
    void reset(uint8_t serial_fill);

    uint32_t model_key() const { return model_key_; }
    void set_model_key(uint32_t key) { model_key_ = key; }

    Serial serial() const { return serial_.load(); }
    void set_serial(const Serial& value) { serial_.store(value); }
    void fill_serial(uint8_t byte);

    // The printer's mutex, shared with whoever uses it now; null when none.
    std::shared_ptr<platform::NamedMutex> mutex() const { return mutex_.load(); }
    void set_mutex(std::shared_ptr<platform::NamedMutex> mutex) { mutex_.store(std::move(mutex)); }
    // Forgets the mutex and hands it over.
    std::shared_ptr<platform::NamedMutex> take_mutex() { return mutex_.exchange({}); }

    intptr_t write_pipe() const { return write_pipe_; }
    intptr_t read_pipe() const { return read_pipe_; }
    void set_pipes(intptr_t write, intptr_t read) {
        write_pipe_ = write;
        read_pipe_ = read;
    }
    // Forget a pipe handle and hand it over (-1 when there was none).
    intptr_t take_write_pipe() { return write_pipe_.exchange(-1); }
    intptr_t take_read_pipe() { return read_pipe_.exchange(-1); }

    // Counts the printers the entry has held: it moves on whenever the entry
    // is taken by a device or given up, or its pipes are closed, so a context
    // that selected the entry can tell that it now holds another connection,
    // or another printer.
    uint32_t generation() const { return generation_; }
    void move_on() { ++generation_; }
    // Answers the printer may still send for commands whose reads gave up at
    // the time limit; whoever talks to it next waits for them briefly first.
    std::atomic<uint32_t>& answers_owed() { return answers_owed_; }

private:
    std::atomic<int> device_{-1};
    MutexSlot mutex_;
    std::atomic<uint32_t> model_key_{0};
    std::atomic<intptr_t> write_pipe_{-1};
    std::atomic<intptr_t> read_pipe_{-1};
    std::atomic<uint32_t> generation_{0};
    std::atomic<uint32_t> answers_owed_{0};
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
