#include "print_progress.h"

#include <algorithm>

namespace tz::ctl {

namespace {

constexpr int kBarWidth = 20;
constexpr int kPlainStep = 25;  // plain lines at 0, 25, 50, 75 and 100 %

}  // namespace

PrintProgress::PrintProgress(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

PrintProgress::~PrintProgress() {
    std::lock_guard<std::mutex> hold(lock_);
    if (terminal_ && drawn_) std::fputc('\n', out_);
    std::fflush(out_);
}

size_t PrintProgress::add(const std::string& label) {
    std::lock_guard<std::mutex> hold(lock_);
    entries_.push_back({label, 0, -1, true});
    return entries_.size() - 1;
}

void PrintProgress::sending(size_t print, double fraction) {
    set(print, static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 50));
}

void PrintProgress::printing(size_t print, unsigned printed, unsigned copies) {
    if (copies == 0) return;
    set(print, 50 + static_cast<int>(50 * std::min(printed, copies) / copies));
}

void PrintProgress::finished(size_t print) {
    std::lock_guard<std::mutex> hold(lock_);
    if (print < entries_.size()) entries_[print].active = false;
    if (terminal_) draw();
}

void PrintProgress::note(const std::string& text) {
    std::lock_guard<std::mutex> hold(lock_);
    if (terminal_ && drawn_) std::fputs("\r\033[K", out_);
    std::fprintf(out_, "%s\n", text.c_str());
    drawn_ = false;
    if (terminal_) draw();
    std::fflush(out_);
}

void PrintProgress::set(size_t print, int percent) {
    std::lock_guard<std::mutex> hold(lock_);
    if (print >= entries_.size()) return;
    Entry& entry = entries_[print];
    const int before = entry.percent;
    entry.percent = std::max(entry.percent, std::clamp(percent, 0, 100));
    if (terminal_) {
        if (entry.percent != before || !drawn_) draw();
        return;
    }
    const int step = entry.percent / kPlainStep * kPlainStep;
    if (step > entry.reported) {
        entry.reported = step;
        std::fprintf(out_, "%s: %d%%\n", entry.label.c_str(), step);
        std::fflush(out_);
    }
}

void PrintProgress::draw() {
    std::string line = "\r\033[K";
    for (const Entry& entry : entries_) {
        if (!entry.active) continue;
        const int filled = entry.percent * kBarWidth / 100;
        line += entry.label + " [" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + "] " +
                std::to_string(entry.percent) + "%  ";
    }
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
    drawn_ = true;
}

}  // namespace tz::ctl
