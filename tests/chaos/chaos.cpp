// tz5170-chaos [--seconds N] [--seed S]: two virtual printer processes, two
// worker processes of three threads each that list, select, ask for status,
// blink, wake, read a parameter and the serial through the library, and a driver that
// meanwhile unplugs, hangs, delays, corrupts and errors the printers and kills
// workers. Workers log every call; at the end the driver clears every fault
// and checks the logs. Exit 0 when every rule holds, 1 otherwise.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/library_state.h"
#include "core/printer_context.h"
#include "platform/local_socket.h"
#include "temp_folder.h"
#include "tzpusb.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using std::string;

const char* const kSerials[2] = {"TZ000101", "TZ000102"};
constexpr int kThreads = 3;
constexpr int kWorkers = 2;

// Bounds of one call, in ms. A command exchange waits up to 1000 ms for late
// answers, then writes and reads with the 500 ms limit each; the printer wait
// is 500 ms. Listing opens every printer (2000 ms for its hello, 500 ms for
// its mutex) and waits on the library lock behind the other two threads'
// lists, so three full enumerations of two printers; selecting waits on the
// same lock.
constexpr int64_t kExchangeMs = 1000 + 500 + 500;
constexpr int64_t kMarginMs = 1000;
constexpr int64_t kSingleBoundMs = 500 + kExchangeMs + kMarginMs;
constexpr int64_t kLedBoundMs = 500 + 2 * kExchangeMs + kMarginMs;
constexpr int64_t kListBoundMs = kThreads * 2 * (2000 + 500) + kMarginMs;
// A gone printer must be noticed within one monitor pass and a margin.
constexpr int64_t kUnplugNoticeMs = 200 + 300;
constexpr int64_t kRecoveryMs = 2000;

int64_t now_us() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t{t.tv_sec} * 1000000 + t.tv_nsec / 1000;
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
bool exists(const string& path) { struct stat s{}; return ::stat(path.c_str(), &s) == 0; }

size_t count_entries(const char* folder) {
    std::error_code ec;
    size_t n = 0;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) ++n;
    return n;
}

size_t mutex_mappings() {
    std::ifstream maps("/proc/self/maps");
    size_t n = 0;
    for (string line; std::getline(maps, line);) n += line.find("tz5170-mutex") != string::npos;
    return n;
}

// An append-only log file; each line goes out in one write, so that the
// lines of several threads do not mix and a killed process loses no line.
class Log {
public:
    explicit Log(const string& path) : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)) {}
    ~Log() { if (fd_ >= 0) ::close(fd_); }
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;
    void line(const string& text) const {
        string l = text + "\n";
        if (fd_ >= 0 && ::write(fd_, l.data(), l.size()) < 0) std::perror("log");
    }

private:
    int fd_;
};

// ---------------------------------------------------------------- worker

struct WorkerSetup {
    int id = 0, generation = 0;
    uint64_t seed = 0;
    string flags;  // folder of the driver's flag files and the logs
    int64_t end_by_us = 0;  // ends by itself after this, driver or not
};

// Reads the serial from the selected printer: its Get Serial answer.
bool read_serial(string& got, uint16_t& code) {
    tz::lib::PrinterContext* context = tz::lib::calling_context();
    if (context == nullptr) return code = TZP_NO_CONTEXT, false;
    tz::lib::PrinterHold hold;
    if ((code = tz::lib::acquire_printer(*context, hold)) != TZP_OK) return false;
    uint8_t payload[tz::lib::kTimedReadSize] = {};
    uint32_t count = 0;
    if ((code = context->sender->send(tz::lib::packets::get_serial())) != TZP_OK ||
        (code = context->receiver->read_payload(payload, sizeof payload, count)) != TZP_OK)
        return false;
    got.assign(reinterpret_cast<const char*>(payload), count);
    for (char& c : got) if (c < 0x21 || c > 0x7E) c = '?';
    return true;
}

class WorkerThread {
public:
    WorkerThread(const WorkerSetup& setup, const Log& log, int number)
        : setup_(setup), log_(log), number_(number), random_(setup.seed ^ (setup.id * 7919u + setup.generation * 104729u + number)) {}

    void run() {
        // A worker started late keeps trying to open until the faults are over.
        bool idle = false;
        while (!opened_ && now_us() < setup_.end_by_us) {
            if (!idle && stopping()) log_.line(prefix("I")), idle = true;
            if (call("open", "-", [&](uint16_t& code, string&) { return opened_ = tzpusb_open(&code) == 1; })) break;
            tzpusb_close();
            sleep_ms(50);
        }
        if (opened_) log_.line(prefix("R"));
        while (opened_ && !stopping()) one_call();
        if (!idle) log_.line(prefix("I"));
        int64_t clear = wait_for_final();
        if (opened_ && clear > 0) final_check(clear);
        tzpusb_close();
    }

private:
    bool stopping() const { return exists(setup_.flags + "/quiet") || now_us() > setup_.end_by_us; }

    string prefix(const char* kind) const {
        return string(kind) + " " + std::to_string(setup_.id) + " " + std::to_string(setup_.generation) + " " + std::to_string(number_);
    }

    template <typename Call>
    bool call(const char* operation, const string& serial, Call&& body) {
        uint16_t code = 0xFFFF;
        string extra = "-";
        int64_t start = now_us();
        bool ok = body(code, extra);
        int64_t end = now_us();
        std::ostringstream line;
        line << prefix("C") << ' ' << operation << ' ' << serial << ' ' << start << ' ' << end << ' ' << (ok ? 1 : 0)
             << ' ' << code << ' ' << extra;
        log_.line(line.str());
        return ok;
    }

    bool list() {
        return call("list", "-", [](uint16_t& code, string& extra) {
            char serials[1024];
            uint16_t count = tzpusb_listupPrinterSN(serials);
            code = TZP_OK;  // the list has no code; the serials are in `extra`
            extra.clear();
            for (uint16_t i = 0; i < count && i < 128; ++i) extra += (i ? "," : "") + string(serials + i * 8, 8);
            if (extra.empty()) extra = "-";
            return count > 0;
        });
    }

    bool select(const string& serial) {
        bool ok = call("select", serial, [&](uint16_t& code, string&) {
            tzpusb_selectPrinterSN(serial.c_str(), &code);
            return code == TZP_OK;
        });
        if (ok) selected_ = serial;
        return ok;
    }

    void one_call() {
        int pick = std::uniform_int_distribution<int>(0, 10)(random_);
        if (selected_.empty()) pick %= 2;  // nothing selected yet: list or select
        if (pick == 0) {
            select(kSerials[random_() % 2]);
        } else if (pick == 1) {
            list();
        } else if (pick <= 4) {
            call("status", selected_, [](uint16_t& code, string&) { return tzpusb_status(&code) == 1; });
        } else if (pick == 5) {
            call("led", selected_, [](uint16_t& code, string&) { return tzpusb_blinkLED(&code) == 1; });
        } else if (pick == 6) {
            int mode = static_cast<int>(random_() % 2);
            call("wake", selected_, [&](uint16_t& code, string&) { return tzpusb_WakeUpStandby(mode, &code) == 1; });
        } else if (pick == 7) {
            call("param", selected_, [](uint16_t& code, string&) {
                uint8_t value[4] = {};
                return tzpusb_getParameter(0x8E, value, &code) == 1;
            });
        } else {
            call("serial", selected_, [&](uint16_t& code, string& extra) {
                string got;
                bool ok = read_serial(got, code);
                if (ok && got != selected_) extra = "wrong=" + got + ",slot=" + std::to_string(tz::lib::find_slot());
                return ok;
            });
        }
    }

    int64_t wait_for_final() const {
        string path = setup_.flags + "/final";
        while (now_us() < setup_.end_by_us) {
            std::ifstream file(path);
            int64_t clear = 0;
            if (file >> clear) return clear;
            sleep_ms(10);
        }
        return 0;
    }

    // Every printer must give a good status again soon after the last fault.
    void final_check(int64_t clear) {
        bool good[2] = {false, false};
        while (!(good[0] && good[1]) && now_us() < clear + kRecoveryMs * 1000) {
            for (int p = 0; p < 2; ++p) {
                if (good[p]) continue;
                list();
                if (select(kSerials[p]))
                    good[p] = call("status", kSerials[p], [](uint16_t& code, string&) { return tzpusb_status(&code) == 1; });
            }
        }
        int64_t elapsed = (now_us() - clear) / 1000;
        log_.line(prefix("F") + (good[0] && good[1] ? " ok " : " fail ") + std::to_string(elapsed) + " " +
                  std::to_string(good[0]) + std::to_string(good[1]));
    }

    const WorkerSetup& setup_;
    const Log& log_;
    int number_;
    std::mt19937_64 random_;
    bool opened_ = false;
    string selected_;
};

int run_worker(const WorkerSetup& setup) {
    Log log(setup.flags + "/worker-" + std::to_string(setup.id) + "-" + std::to_string(setup.generation) + ".log");
    tzpusb_MakeThread(8);
    // A sanitizer starts a thread of its own at the first thread start.
    std::thread([] {}).join();
    size_t fds = count_entries("/proc/self/fd"), tasks = count_entries("/proc/self/task");
    size_t maps_before = mutex_mappings();
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&setup, &log, t] { WorkerThread(setup, log, t).run(); });
    }
    // The library's own threads and descriptors go within a short while.
    size_t fds_now = 0, tasks_now = 0, maps_now = 0;
    for (int64_t until = now_us() + 2000000;; sleep_ms(20)) {
        fds_now = count_entries("/proc/self/fd");
        tasks_now = count_entries("/proc/self/task");
        maps_now = mutex_mappings();
        if ((fds_now <= fds && tasks_now <= tasks && maps_now == 0) || now_us() > until) break;
    }
    bool ok = fds_now <= fds && tasks_now <= tasks && maps_now == 0;
    std::ostringstream line;
    line << "L " << setup.id << ' ' << setup.generation << ' ' << (ok ? "ok" : "fail") << " fd=" << fds_now << '/' << fds
         << " tasks=" << tasks_now << '/' << tasks << " mutex-maps=" << maps_now << '/' << maps_before;
    log.line(line.str());
    return 0;
}

// ---------------------------------------------------------------- driver

// A child process, killed and reaped when the object ends.
class Child {
public:
    Child() = default;
    Child(const string& program, const std::vector<string>& args, const std::vector<string>& extra_environment) {
        std::vector<string> all = {program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<string> env_strings = extra_environment;
        for (char** e = environ; *e != nullptr; ++e) env_strings.emplace_back(*e);
        std::vector<char*> envp;
        for (string& e : env_strings) envp.push_back(e.data());
        envp.push_back(nullptr);
        if (::posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    }
    ~Child() { stop(); }
    Child(Child&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
    Child& operator=(Child&& other) noexcept {
        if (this != &other) {
            stop();
            pid_ = std::exchange(other.pid_, -1);
        }
        return *this;
    }

    bool running() const { return pid_ > 0; }
    void signal(int number) const { if (pid_ > 0) ::kill(pid_, number); }
    // Waits up to `limit_ms` for the end; the wait status, or -1 when it has not ended.
    int wait(int limit_ms) {
        for (int64_t until = now_us() + int64_t{limit_ms} * 1000; pid_ > 0; sleep_ms(5)) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return status;
            }
            if (now_us() > until) break;
        }
        return -1;
    }
    void stop() {
        if (pid_ <= 0) return;
        signal(SIGTERM);
        if (wait(5000) == -1) {
            signal(SIGKILL);
            wait(5000);
        }
    }

private:
    pid_t pid_ = -1;
};

// One line to a printer's control socket; its answer line.
string control(const string& folder, int printer, const string& command) {
    auto socket = tz::platform::LocalSocket::connect(folder + "/" + kSerials[printer] + ".ctl", tz::platform::SocketKind::Stream);
    if (!socket.valid()) return "no control socket";
    string line = command + "\n", answer;
    socket.send(line.data(), line.size(), 2000);
    char chunk[256];
    while (answer.find('\n') == string::npos) {
        auto got = socket.receive(chunk, sizeof chunk, 3000);
        if (got.status != tz::platform::IoStatus::Ok || got.bytes == 0) break;
        answer.append(chunk, got.bytes);
    }
    while (!answer.empty() && answer.back() == '\n') answer.pop_back();
    return answer;
}

struct Call {
    int worker, generation, thread;
    string operation, serial;
    int64_t start, end;
    bool ok;
    unsigned code;
    string extra;
};

class Driver {
public:
    Driver(string bin, uint64_t seed, int seconds) : bin_(std::move(bin)), seed_(seed), seconds_(seconds), random_(seed) {}

    int run() {
        for (int p = 0; p < 2; ++p)
            printers_[p] = Child(bin_ + "/TZ5170Emulator", {"--dir", printers_dir_.path(), "--serial", kSerials[p]}, {});
        for (int p = 0; p < 2; ++p)
            for (int i = 0; i < 400 && !exists(printers_dir_.file(string(kSerials[p]) + ".ctl")); ++i) sleep_ms(25);
        end_by_ = now_us() + (int64_t{seconds_} + 90) * 1000000;
        for (int w = 0; w < kWorkers; ++w) start_worker(w);

        int64_t chaos_end = now_us() + int64_t{seconds_} * 1000000;
        while (now_us() < chaos_end) {
            run_due(now_us());
            inject();
            sleep_ms(std::uniform_int_distribution<int>(80, 300)(random_));
        }
        // Put everything right: restores due, killed workers back, all quiet.
        run_due(INT64_MAX);
        touch("quiet", "");
        for (int i = 0; i < 2000 && count_lines('I') < kWorkers * kThreads; ++i) sleep_ms(10);
        for (int p = 0; p < 2; ++p) {
            for (const char* command : {"clear-faults", "clear-error", "error clear", "busy off", "delay 0"})
                fault(p, "", command);
            if (!plugged_[p]) replug(p);
        }
        touch("final", std::to_string(now_us()));
        for (int w = 0; w < kWorkers; ++w) {
            int status = workers_[w].wait(30000);
            if (status != 0) violation("worker " + std::to_string(w) + " ended with wait status " + std::to_string(status));
        }
        return check();
    }

private:
    struct Due {
        int64_t at;
        int target;  // printer, or worker for restarts
        string command;
    };

    void start_worker(int w) {
        workers_[w] = Child(bin_ + "/tz5170-chaos",
                            {"--worker", std::to_string(w), "--generation", std::to_string(generations_[w]), "--seed",
                             std::to_string(seed_), "--flags", logs_.path(), "--end-by", std::to_string(end_by_)},
                            {"TZ5170_EMULATOR=" + printers_dir_.path(), "TZ5170_IO_TIMEOUT_MS=500"});
    }

    void touch(const string& name, const string& text) {
        std::ofstream(logs_.file(name + ".tmp")) << text << "\n";
        fs::rename(logs_.file(name + ".tmp"), logs_.file(name));
    }

    // Sends a control command; counted as a fault of `kind` unless empty.
    void fault(int printer, const string& kind, const string& command) {
        string answer = control(printers_dir_.path(), printer, command);
        if (!kind.empty()) ++faults_[kind];
        if (answer.rfind("ok", 0) != 0 && command != "replug")
            violation("control '" + command + "' on " + kSerials[printer] + ": " + answer);
    }

    void unplug(int p, const char* kind) {
        fault(p, kind, "unplug");
        plugged_[p] = false;
        unplugged_[p].push_back({now_us(), INT64_MAX});
    }
    void replug(int p) {
        unplugged_[p].back().second = now_us();
        fault(p, "", "replug");
        plugged_[p] = true;
    }

    void run_due(int64_t now) {
        for (size_t i = 0; i < due_.size();) {
            if (due_[i].at > now) { ++i; continue; }
            Due d = due_[i];
            due_.erase(due_.begin() + static_cast<long>(i));
            if (d.command == "restart") {
                workers_[d.target].wait(2000);
                ++generations_[d.target];
                start_worker(d.target);
            } else if (d.command == "replug") {
                replug(d.target);
            } else {
                fault(d.target, "", d.command);
            }
            busy_[d.target][d.command] = false;
        }
    }

    void later(int64_t ms, int target, const string& command) {
        due_.push_back({now_us() + ms * 1000, target, command});
        busy_[target][command] = true;
    }

    void inject() {
        int p = static_cast<int>(random_() % 2);
        int kind = std::uniform_int_distribution<int>(0, 11)(random_);
        auto free = [&](const char* undo) { return !busy_[p][undo]; };
        switch (kind) {
            case 0: case 1:
                if (!plugged_[p]) return;
                unplug(p, kind == 0 ? "unplug 50 ms" : "unplug 1.5 s");
                if (kind == 0) {
                    sleep_ms(50);
                    replug(p);
                } else {
                    later(1500, p, "replug");
                }
                return;
            case 2: if (free("resume")) { fault(p, "hang", "hang"); later(300 + random_() % 1200, p, "resume"); } return;
            case 3: if (free("delay 0")) { fault(p, "delay 700", "delay 700"); later(1000 + random_() % 1000, p, "delay 0"); } return;
            case 4: fault(p, "corrupt-next", "corrupt-next"); return;
            case 5: fault(p, "truncate-next", "truncate-next"); return;
            case 6: if (free("busy off")) { fault(p, "busy", "busy"); later(1000, p, "busy off"); } return;
            case 7: if (free("error clear")) { fault(p, "error 11 06 01 00", "error 11 06 01 00"); later(1000, p, "error clear"); } return;
            case 8: if (free("clear-error")) { fault(p, "cover-open", "cover-open"); later(1000, p, "clear-error"); } return;
            case 9: {
                int w = static_cast<int>(random_() % kWorkers);
                if (busy_[w]["restart"]) return;
                if (int status = workers_[w].wait(0); status != -1)  // a worker must not end by itself
                    violation("worker " + std::to_string(w) + "." + std::to_string(generations_[w]) +
                              " ended early with wait status " + std::to_string(status));
                workers_[w].signal(SIGKILL);
                ++faults_["kill worker"];
                later(300, w, "restart");
                return;
            }
            default: return;  // a quiet moment
        }
    }

    size_t count_lines(char kind) {
        size_t n = 0;
        for (const auto& entry : fs::directory_iterator(logs_.path())) {
            if (entry.path().extension() != ".log") continue;
            std::ifstream file(entry.path());
            for (string line; std::getline(file, line);) n += !line.empty() && line[0] == kind;
        }
        return n;
    }

    void violation(const string& text) { violations_.push_back(text); }

    int check() {
        std::vector<Call> calls;
        std::map<string, bool> summary;  // worker-generation: leak line seen
        size_t finals = 0;
        for (const auto& entry : fs::directory_iterator(logs_.path())) {
            if (entry.path().extension() != ".log") continue;
            std::ifstream file(entry.path());
            for (string line; std::getline(file, line);) {
                std::istringstream in(line);
                char kind = 0;
                in >> kind;
                if (kind == 'C') {
                    Call c;
                    in >> c.worker >> c.generation >> c.thread >> c.operation >> c.serial >> c.start >> c.end >> c.ok >> c.code >> c.extra;
                    if (in) calls.push_back(c);
                } else if (kind == 'F') {
                    ++finals;
                    if (line.find(" ok ") == string::npos) violation("not usable again within 2 s: " + line);
                } else if (kind == 'L') {
                    int w = 0, g = 0;
                    in >> w >> g;
                    summary[std::to_string(w) + "-" + std::to_string(g)] = true;
                    if (line.find(" ok ") == string::npos) violation("left behind after the last close: " + line);
                }
            }
        }
        if (finals != kWorkers * kThreads) violation("final checks: " + std::to_string(finals) + " of " + std::to_string(kWorkers * kThreads));
        for (int w = 0; w < kWorkers; ++w)
            if (!summary[std::to_string(w) + "-" + std::to_string(generations_[w])]) violation("no summary of worker " + std::to_string(w));

        std::map<string, size_t> by_operation;
        std::map<unsigned, size_t> ok_codes, failed_codes, list_sizes;
        for (const Call& c : calls) {
            ++by_operation[c.operation];
            if (c.operation == "list")
                ++list_sizes[c.extra == "-" ? 0 : static_cast<unsigned>(std::count(c.extra.begin(), c.extra.end(), ',') + 1)];
            else
                ++(c.ok ? ok_codes : failed_codes)[c.code];
            string who = "worker " + std::to_string(c.worker) + "." + std::to_string(c.generation) + " thread " +
                         std::to_string(c.thread) + " " + c.operation + " " + c.serial;
            int64_t took = (c.end - c.start) / 1000;
            bool slow_ops = c.operation == "list" || c.operation == "select" || c.operation == "open";
            int64_t bound = slow_ops ? kListBoundMs : c.operation == "led" ? kLedBoundMs : kSingleBoundMs;
            if (took > bound)
                violation(who + " took " + std::to_string(took) + " ms (bound " + std::to_string(bound) + ") code " + std::to_string(c.code));
            if (c.extra.rfind("wrong=", 0) == 0) {
                // What else the process was doing then helps to tell why.
                string during;
                for (const Call& o : calls)
                    if (o.worker == c.worker && o.generation == c.generation && o.thread != c.thread && o.start < c.end && o.end > c.start)
                        during += " [thread " + std::to_string(o.thread) + " " + o.operation + " " + o.serial + "]";
                violation(who + " was answered by " + c.extra.substr(6) + " at " + std::to_string(c.start / 1000) +
                          " ms, meanwhile:" + during);
            }
            for (int p = 0; p < 2; ++p) {
                bool on_p = c.serial == kSerials[p] || (c.operation == "list" && c.extra.find(kSerials[p]) != string::npos);
                if (!c.ok || !on_p) continue;
                for (auto [off, on] : unplugged_[p])
                    if (c.start > off + kUnplugNoticeMs * 1000 && c.end < on)
                        violation(who + " succeeded " + std::to_string((c.start - off) / 1000) + " ms after unplug of " + kSerials[p] +
                                  " (replug " + std::to_string((on - c.end) / 1000) + " ms after its end)");
            }
        }

        std::printf("seed %llu, %d s: %zu calls (", static_cast<unsigned long long>(seed_), seconds_, calls.size());
        for (auto& [op, n] : by_operation) std::printf(" %s %zu", op.c_str(), n);
        std::printf(" )\nfaults:");
        for (auto& [kind, n] : faults_) std::printf(" [%s] %zu", kind.c_str(), n);
        std::printf("\nsuccesses by code:");
        for (auto& [code, n] : ok_codes) std::printf(" %u:%zu", code, n);
        std::printf("\nfailures by code:");
        for (auto& [code, n] : failed_codes) std::printf(" %u:%zu", code, n);
        std::printf("\nlists by printers listed:");
        for (auto& [size, n] : list_sizes) std::printf(" %u:%zu", size, n);
        std::printf("\n%zu violations\n", violations_.size());
        for (size_t i = 0; i < violations_.size() && i < 12; ++i) std::printf("  %s\n", violations_[i].c_str());
        return violations_.empty() ? 0 : 1;
    }

    string bin_;
    uint64_t seed_;
    int seconds_;
    std::mt19937_64 random_;
    tz::test::TempFolder printers_dir_, logs_;
    Child printers_[2];
    Child workers_[kWorkers];
    int generations_[kWorkers] = {};
    int64_t end_by_ = 0;
    bool plugged_[2] = {true, true};
    std::vector<std::pair<int64_t, int64_t>> unplugged_[2];
    std::vector<Due> due_;
    std::map<string, bool> busy_[2];
    std::map<string, size_t> faults_;
    std::vector<string> violations_;
};

}  // namespace

int main(int argc, char** argv) {
    std::map<string, string> options;
    for (int i = 1; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
    auto number = [&](const char* name, uint64_t fallback) {
        return options.count(name) ? std::strtoull(options[name].c_str(), nullptr, 10) : fallback;
    };
    if (options.count("--worker")) {
        WorkerSetup setup;
        setup.id = static_cast<int>(number("--worker", 0));
        setup.generation = static_cast<int>(number("--generation", 0));
        setup.seed = number("--seed", 0);
        setup.flags = options["--flags"];
        setup.end_by_us = static_cast<int64_t>(number("--end-by", 0));
        return run_worker(setup);
    }
    ::signal(SIGPIPE, SIG_IGN);
    uint64_t seed = number("--seed", static_cast<uint64_t>(now_us()) % 1000000007u);
    int seconds = static_cast<int>(number("--seconds", 30));
    std::printf("tz5170-chaos --seed %llu --seconds %d\n", static_cast<unsigned long long>(seed), seconds);
    std::fflush(stdout);
    string bin = fs::read_symlink("/proc/self/exe").parent_path().string();
    return Driver(bin, seed, seconds).run();
}
