#include "library_session.h"

#include "messages.h"
#include "tzpusb.h"

namespace tz::upgrade {

bool LibrarySession::open(uint16_t& code) {
    opened_ = true;
    code = 0;
    return tzpusb_openDownload(-1, &code) == 1;
}

SessionStart LibrarySession::open_and_select(const std::string& serial) {
    uint16_t code = 0;
    if (!open(code)) {
        print_result_error(code);
        return SessionStart::OpenFailed;
    }
    std::string name = serial.substr(0, 8);
    code = 0;
    tzpusb_selectPrinterSN(name.c_str(), &code);
    if (code != 0) {
        print_result_error(code);
        return SessionStart::SelectFailed;
    }
    return SessionStart::Ready;
}

void LibrarySession::close() {
    if (!opened_) return;
    opened_ = false;
    tzpusb_close();
}

}  // namespace tz::upgrade
