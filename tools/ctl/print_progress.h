// Progress of the prints on stderr: on a terminal one line of bars redrawn
// in place, otherwise a plain line per quarter ("TZ000101: 25%").
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace tz::ctl {

class PrintProgress {
public:
    // `terminal`: redraw one line in place; else plain lines.
    PrintProgress(std::FILE* out, bool terminal);
    ~PrintProgress();
    PrintProgress(const PrintProgress&) = delete;
    PrintProgress& operator=(const PrintProgress&) = delete;

    // A print to follow, shown as `label`; returns its number.
    size_t add(const std::string& label);
    // Sending the page's data (0..1) is the first half of a print, the copies
    // coming out the second.
    void sending(size_t print, double fraction);
    void printing(size_t print, unsigned printed, unsigned copies);
    // The print is over, whatever its outcome: its bar goes.
    void finished(size_t print);
    // A message line of its own (the bar line is drawn again below it).
    void note(const std::string& text);

private:
    struct Entry {
        std::string label;
        int percent = 0;
        int reported = -1;  // the last percentage written as a plain line
        bool active = false;
    };
    void set(size_t print, int percent);
    void draw();  // with the lock held

    std::FILE* out_;
    bool terminal_;
    bool drawn_ = false;
    std::mutex lock_;
    std::vector<Entry> entries_;
};

}  // namespace tz::ctl
