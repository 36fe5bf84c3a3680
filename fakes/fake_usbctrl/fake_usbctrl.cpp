#include "fake_usb.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/export.h"
#include "platform/local_socket.h"
#include "platform/process.h"

#define FAKE_EXPORT TZ_EXPORT

namespace {

struct Printer {
    std::string serial;
    uint16_t vendor_id = 0;
    uint16_t product_id = 0;
    bool attached = true;
    tz::platform::LocalSocket host_end;
    tz::platform::LocalSocket printer_end;
    int handle = -1;
    intptr_t write_pipe = -1;
    intptr_t read_pipe = -1;
};

std::mutex g_lock;
std::vector<Printer> g_printers;
std::map<intptr_t, int> g_close_pipe_calls;

// Device number j: the j-th attached printer.
Printer* by_number(uint16_t number) {
    uint16_t j = 0;
    for (Printer& p : g_printers) {
        if (!p.attached) continue;
        if (j++ == number) return &p;
    }
    return nullptr;
}

Printer* by_handle(int handle) {
    if (handle < 0) return nullptr;
    for (Printer& p : g_printers)
        if (p.handle == handle) return &p;
    return nullptr;
}

int lowest_free_handle() {
    for (int h = 0; h < 128; ++h)
        if (by_handle(h) == nullptr) return h;
    return -1;
}

}  // namespace

FAKE_EXPORT void FakeUsb_Reset(void) {
    std::lock_guard guard(g_lock);
    g_printers.clear();
    g_close_pipe_calls.clear();
}

FAKE_EXPORT int FakeUsb_AddPrinter(const char* serial, uint16_t vendor_id, uint16_t product_id) {
    std::lock_guard guard(g_lock);
    Printer p;
    p.serial.assign(serial, 8);
    p.vendor_id = vendor_id;
    p.product_id = product_id;
    if (!tz::platform::LocalSocket::pair(p.host_end, p.printer_end)) return -1;
    g_printers.push_back(std::move(p));
    return static_cast<int>(g_printers.size()) - 1;
}

FAKE_EXPORT int FakeUsb_PrinterSocket(int printer) {
    std::lock_guard guard(g_lock);
    return printer >= 0 && printer < static_cast<int>(g_printers.size()) ? g_printers[printer].printer_end.fd() : -1;
}

FAKE_EXPORT void FakeUsb_Unplug(int printer) {
    std::lock_guard guard(g_lock);
    if (printer < 0 || printer >= static_cast<int>(g_printers.size())) return;
    Printer& p = g_printers[printer];
    p.attached = false;
    p.host_end.shutdown();  // both ends see the connection end
}

FAKE_EXPORT int FakeUsb_ClosePipeCalls(intptr_t pipe) {
    std::lock_guard guard(g_lock);
    auto it = g_close_pipe_calls.find(pipe);
    return it == g_close_pipe_calls.end() ? 0 : it->second;
}

FAKE_EXPORT intptr_t FakeUsb_WritePipe(int printer) {
    std::lock_guard guard(g_lock);
    return printer >= 0 && printer < static_cast<int>(g_printers.size()) ? g_printers[printer].write_pipe : -1;
}

FAKE_EXPORT intptr_t FakeUsb_ReadPipe(int printer) {
    std::lock_guard guard(g_lock);
    return printer >= 0 && printer < static_cast<int>(g_printers.size()) ? g_printers[printer].read_pipe : -1;
}

FAKE_EXPORT int FakeUsb_OpenDevices(void) {
    std::lock_guard guard(g_lock);
    int n = 0;
    for (const Printer& p : g_printers) n += p.handle >= 0;
    return n;
}

FAKE_EXPORT int SDKUsb_Open(uint16_t device_number) {
    std::lock_guard guard(g_lock);
    Printer* p = by_number(device_number);
    if (p == nullptr || p->handle >= 0) return -1;
    p->handle = lowest_free_handle();
    return p->handle;
}

FAKE_EXPORT int SDKUsb_OpenEx(uint16_t device_number, uint32_t) { return SDKUsb_Open(device_number); }

FAKE_EXPORT int SDKUsb_Close(int device_handle) {
    std::lock_guard guard(g_lock);
    Printer* p = by_handle(device_handle);
    if (p == nullptr) return 0;
    p->handle = -1;
    return 1;
}

FAKE_EXPORT int SDKUsb_GetDeviceHandle(uint16_t) { return -1; }

FAKE_EXPORT int SDKUsb_GetDeviceName(int device_handle, char* name) {
    std::lock_guard guard(g_lock);
    Printer* p = by_handle(device_handle);
    if (p == nullptr) return 0;
    std::snprintf(name, 260, "\\\\?\\usb#vid_%04x&pid_%04x#FAKE%d-%s#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
                  p->vendor_id, p->product_id, static_cast<int>(tz::platform::current_process_id()), p->serial.c_str());
    return 1;
}

FAKE_EXPORT int SDKUsb_GetDeviceIDString(int device_handle, uint8_t* buffer, uint32_t* size) {
    std::lock_guard guard(g_lock);
    Printer* p = by_handle(device_handle);
    if (p == nullptr || *size < 260) return 0;
    std::memset(buffer, ' ', 110);
    std::memcpy(buffer + 110, p->serial.data(), 8);
    *size = 260;
    return 1;
}

FAKE_EXPORT intptr_t SDKUsb_GetPipeHandle(int device_handle, int, uint8_t pipe_number, int) {
    std::lock_guard guard(g_lock);
    Printer* p = by_handle(device_handle);
    if (p == nullptr || pipe_number > 1) return -1;
    intptr_t fd = p->host_end.duplicate();
    (pipe_number == 0 ? p->write_pipe : p->read_pipe) = fd;
    return fd;
}

FAKE_EXPORT int SDKUsb_ClosePipe(intptr_t pipe) {
    std::lock_guard guard(g_lock);
    ++g_close_pipe_calls[pipe];
    if (pipe < 0) return 0;
    tz::platform::close_pipe(pipe);
    return 1;
}

FAKE_EXPORT int SDKUsb_AbortPipe(intptr_t) { return 1; }
FAKE_EXPORT int SDKUsb_ResetPipe(intptr_t) { return 1; }

FAKE_EXPORT int SDKUsb_CheckDeviceName(uint16_t device_number) {
    std::lock_guard guard(g_lock);
    Printer* p = by_number(device_number);
    return p == nullptr ? -1 : p->handle;
}

FAKE_EXPORT int SDKUsb_CheckDevice(int device_handle) {
    std::lock_guard guard(g_lock);
    Printer* p = by_handle(device_handle);
    return p != nullptr && p->attached ? 1 : 0;
}

#ifndef FAKE_USB_WITHOUT_RESET_DEVICE
FAKE_EXPORT int SDKUsb_ResetDevice(int) { return 1; }
#endif
