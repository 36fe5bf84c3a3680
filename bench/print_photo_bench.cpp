// bench_print_photo: `TZ5170Ctl print` of a generated 24-megapixel JPEG
// (4000 x 6000, portrait like the media) into a virtual printer whose link
// takes 33,000,000 bytes a second. Times each print from the start of the
// tool to the page's last byte at the printer (the printer starts the copy
// then) against the link time of the page's bytes, the baseline, and reads
// the tool's peak memory (the peak of its resident set, VmHWM). The tool
// built beside the benchmark also prints once more with --whole-photo, the
// photo decoded in full before the page starts, as a second baseline in the
// same run.
//
// Usage: bench_print_photo [--runs N] [--ctl PATH]   (default 3 runs, the tool beside it)
//        With --ctl (another build of the tool) only the plain print is measured.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <nlohmann/json.hpp>
#include <vips/vips8>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "emulator/virtual_printer.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr uint64_t kLinkRate = 33'000'000;
constexpr int kPhotoWidth = 4000, kPhotoHeight = 6000;
constexpr auto kPrintLimit = std::chrono::seconds(120);

struct Measure {
    bool ok = false;
    double seconds = 0;    // start of the tool to the page's last byte at the printer
    double link = 0;       // the page's bytes at the link's rate
    double peak_mib = 0;   // the peak of the tool's resident set
};

// A photo-like picture: smooth gradients under fine noise, so that the JPEG
// takes as long to decode as a camera's.
bool make_photo(const std::string& path) {
    try {
        using vips::VImage;
        VImage xy = VImage::xyz(kPhotoWidth, kPhotoHeight);
        VImage x = xy[0], y = xy[1];
        VImage r = x * (200.0 / kPhotoWidth) + 20;
        VImage g = y * (180.0 / kPhotoHeight) + 40;
        VImage b = (x + y) * (120.0 / (kPhotoWidth + kPhotoHeight)) + 60;
        VImage noise = VImage::gaussnoise(kPhotoWidth, kPhotoHeight, VImage::option()->set("sigma", 18.0));
        VImage photo = (r.bandjoin(g).bandjoin(b) + noise).cast(VIPS_FORMAT_UCHAR);
        photo = photo.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        photo.jpegsave(path.c_str(), VImage::option()->set("Q", 90));
        return true;
    } catch (const vips::VError& e) {
        std::fprintf(stderr, "cannot make the photo: %s\n", e.what());
        return false;
    }
}

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The peak of a running process's resident memory in KiB (VmHWM); 0 once it has ended.
long peak_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

// One print by the tool, its output in `folder`.
Measure print_once(tz::emulator::VirtualPrinter& printer, const std::string& ctl, const std::string& photo,
                   const std::string& folder, bool whole) {
    Measure m;
    std::vector<std::string> words{ctl, "--json", "--serial", printer.serial(), "print", photo};
    if (whole) words.push_back("--whole-photo");
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const std::string out = folder + "/print.json", err = folder + "/print.err";
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    const auto start = Clock::now();
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, ctl.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s\n", ctl.c_str());
        return m;
    }
    // The printer starts the copy the moment the page's last byte is in.
    std::optional<Clock::time_point> last_byte;
    // The peak is read from the running tool: the maximum that wait4 reports
    // would count this process's memory as well, which the child shared
    // until it started the tool.
    int status = 0;
    long peak = 0;
    for (;;) {
        if (!last_byte && printer.model().info().activity == "printing") last_byte = Clock::now();
        peak = std::max(peak, peak_kib(pid));
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (Clock::now() - start > kPrintLimit) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            std::fprintf(stderr, "the print took longer than %lld s\n", static_cast<long long>(kPrintLimit.count()));
            return m;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !last_byte) {
        std::fprintf(stderr, "the print failed: %s\n", read_file(err).c_str());
        return m;
    }
    const nlohmann::json doc = nlohmann::json::parse(read_file(out), nullptr, false);
    if (doc.is_discarded() || !doc["prints"][0].contains("placed")) {
        std::fprintf(stderr, "no placement in the tool's output\n");
        return m;
    }
    const auto& placed = doc["prints"][0]["placed"];
    const double bytes = placed["width"].get<double>() * placed["height"].get<double>() * 3;
    m.ok = true;
    m.seconds = std::chrono::duration<double>(*last_byte - start).count();
    m.link = bytes / double(kLinkRate);
    m.peak_mib = double(peak) / 1024.0;
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    std::string ctl = std::string(TZ_BIN_DIR) + "/TZ5170Ctl";
    bool baseline = true;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--ctl") == 0) {
            ctl = argv[i + 1];
            baseline = false;
        }
    }
    if (VIPS_INIT(argv[0]) != 0) return 1;
    char pattern[] = "/tmp/bench-print-photo.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return 1;
    const std::string folder = pattern;
    const std::string photo = folder + "/photo24mp.jpg";
    int result = 0;
    {
        if (!make_photo(photo)) return 1;
        tz::emulator::PrinterOptions options;
        options.folder = folder;
        options.serial = "BENCH001";
        options.time_scale = 0.01;  // a copy in 0.1 s: the tool ends soon after the page
        options.link_rate = kLinkRate;
        tz::emulator::VirtualPrinter printer(options);
        std::string error;
        if (!printer.start(&error)) {
            std::fprintf(stderr, "virtual printer: %s\n", error.c_str());
            return 1;
        }
        ::setenv("TZ5170_EMULATOR", folder.c_str(), 1);
        ::setenv("TZ5170_USB_DIR", (folder + "/no-usb-bridge").c_str(), 1);

        std::printf("TZ5170Ctl print of a %dx%d JPEG (%.1f MB) into a virtual printer at %.0f MB/s, %d runs\n",
                    kPhotoWidth, kPhotoHeight, double(fs::file_size(photo)) / 1e6, kLinkRate / 1e6, runs);
        for (int r = 0; r < runs && result == 0; ++r) {
            const Measure streamed = print_once(printer, ctl, photo, folder, false);
            if (!streamed.ok) {
                result = 1;
                break;
            }
            std::printf("print %.3f s, peak %.0f MiB | link time %.3f s | ratio %.2fx", streamed.seconds,
                        streamed.peak_mib, streamed.link, streamed.seconds / streamed.link);
            if (baseline) {
                const Measure whole = print_once(printer, ctl, photo, folder, true);
                if (!whole.ok) {
                    result = 1;
                } else {
                    std::printf(" | --whole-photo %.3f s, peak %.0f MiB, ratio %.2fx", whole.seconds,
                                whole.peak_mib, whole.seconds / whole.link);
                }
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    vips_shutdown();
    return result;
}
