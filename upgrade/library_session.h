// One use of the printer-control library on this thread: opened for
// download, a printer selected by serial number, closed when done.
#pragma once

#include <cstdint>
#include <string>

namespace tz::upgrade {

enum class SessionStart { Ready, OpenFailed, SelectFailed };

class LibrarySession {
public:
    LibrarySession() = default;
    ~LibrarySession() { close(); }
    LibrarySession(const LibrarySession&) = delete;
    LibrarySession& operator=(const LibrarySession&) = delete;

    // tzpusb_openDownload(-1), then the printer with this 8-character serial.
    // A failure of either prints "Error: %s(%d)\n"; the library is closed
    // with the session, as after success.
    SessionStart open_and_select(const std::string& serial);
    // tzpusb_openDownload(-1) only; the code through `code`.
    bool open(uint16_t& code);
    // tzpusb_close, once the library was opened (also when opening failed).
    void close();
    // The context stays open for the next step on this thread.
    void leave_open() { opened_ = false; }

private:
    bool opened_ = false;
};

}  // namespace tz::upgrade
