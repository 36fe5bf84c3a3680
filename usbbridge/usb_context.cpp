#include "usb_context.h"

#include <algorithm>

namespace tz::usbbridge {

UsbContext::~UsbContext() {
    if (context_ != nullptr) libusb_exit(context_);
}

bool UsbContext::open(std::string* error) {
    const int rc = libusb_init(&context_);
    if (rc != LIBUSB_SUCCESS) {
        context_ = nullptr;
        if (error != nullptr) *error = libusb_strerror(rc);
        return false;
    }
    return true;
}

void UsbContext::add_poll_entries(std::vector<platform::PollEntry>& entries) const {
    const libusb_pollfd** fds = libusb_get_pollfds(context_);
    if (fds == nullptr) return;
    for (const libusb_pollfd** item = fds; *item != nullptr; ++item)
        entries.push_back({(*item)->fd, (*item)->events, 0});
    libusb_free_pollfds(fds);
}

int UsbContext::wait_limit_ms(int limit_ms) const {
    timeval next{};
    if (libusb_get_next_timeout(context_, &next) != 1) return limit_ms;
    const long long ms = static_cast<long long>(next.tv_sec) * 1000 + (next.tv_usec + 999) / 1000;
    return static_cast<int>(std::clamp<long long>(ms, 0, limit_ms));
}

void UsbContext::handle_events() const { handle_events_for(0); }

void UsbContext::handle_events_for(int wait_ms) const {
    timeval limit{wait_ms / 1000, (wait_ms % 1000) * 1000};
    libusb_handle_events_timeout_completed(context_, &limit, nullptr);
}

}  // namespace tz::usbbridge
