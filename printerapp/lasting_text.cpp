#include "lasting_text.h"

#include <mutex>
#include <set>

namespace tz::app {

const char* lasting_text(const std::string& text) {
    static std::mutex lock;
    static std::set<std::string> texts;  // nodes never move
    std::lock_guard guard(lock);
    return texts.insert(text).first->c_str();
}

}  // namespace tz::app
