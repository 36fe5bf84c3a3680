// bench_mot_loader: the MOT loader against GNU objcopy and srec_cat on the
// same generated S-record file, in the same run. Each program turns the file
// into a flat image in a process of its own, so that its time and peak memory
// are its own; the three images must agree byte for byte.
//
// Usage: bench_mot_loader [--mib N] [--runs N]   (defaults: 64 MiB, 3 runs)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fake_usbctrl/fake_usb.h"
#include "platform/child_process.h"
#include "tzpusb.h"

namespace {

constexpr uint32_t kRecordBytes = 32;
constexpr uint32_t kReadBlock = 0x40000;

// S0, S3 records of 32 data bytes from address 0, CR LF, S7.
void generate(const std::string& path, uint64_t image_size) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    static const char digits[] = "0123456789ABCDEF";
    std::vector<char> buffer;
    buffer.reserve(1 << 20);
    auto hex = [&](uint8_t b) {
        buffer.push_back(digits[b >> 4]);
        buffer.push_back(digits[b & 15]);
    };
    // S0 with the text "BENCH": count 8, address 0000.
    const uint8_t text[] = {'B', 'E', 'N', 'C', 'H'};
    unsigned s0sum = 8;
    buffer.insert(buffer.end(), {'S', '0'});
    hex(8), hex(0), hex(0);
    for (uint8_t c : text) hex(c), s0sum += c;
    hex(static_cast<uint8_t>(~s0sum));
    buffer.insert(buffer.end(), {'\r', '\n'});

    std::mt19937 random(5170);
    for (uint64_t at = 0; at < image_size; at += kRecordBytes) {
        const uint32_t address = static_cast<uint32_t>(at);
        const uint8_t count = kRecordBytes + 5;
        unsigned sum = count;
        buffer.insert(buffer.end(), {'S', '3'});
        hex(count);
        for (int shift = 24; shift >= 0; shift -= 8) {
            const auto b = static_cast<uint8_t>(address >> shift);
            hex(b);
            sum += b;
        }
        for (uint32_t i = 0; i < kRecordBytes; i += 4) {
            const uint32_t word = random();
            for (int k = 0; k < 4; ++k) {
                const auto b = static_cast<uint8_t>(word >> (8 * k));
                hex(b);
                sum += b;
            }
        }
        hex(static_cast<uint8_t>(~sum));
        buffer.insert(buffer.end(), {'\r', '\n'});
        if (buffer.size() > (1 << 20) - 100) {
            std::fwrite(buffer.data(), 1, buffer.size(), out);
            buffer.clear();
        }
    }
    const std::string end = "S70500000000FA\r\n";
    buffer.insert(buffer.end(), end.begin(), end.end());
    std::fwrite(buffer.data(), 1, buffer.size(), out);
    std::fclose(out);
}

// The child: load the file through the library, write the image, print the
// load's own time.
int load_child(const char* mot, const char* image_path) {
    FakeUsb_AddPrinter("BENCH001", 0x0F3C, 0x5A17);
    uint16_t code = 0;
    if (tzpusb_openDownload(-1, &code) != 1) {
        std::fprintf(stderr, "cannot open the library: %u\n", code);
        return 1;
    }
    uint32_t size = 0, sum = 0, start = 0, end = 0;
    const auto t0 = std::chrono::steady_clock::now();
    void* image = tzpusb_newMotFile(mot, &size, &sum, &start, &end, &code);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (image == nullptr) {
        std::fprintf(stderr, "tzpusb_newMotFile: %u\n", code);
        return 1;
    }
    std::FILE* out = std::fopen(image_path, "wb");
    const bool written = out != nullptr && std::fwrite(image, 1, size, out) == size;
    if (out != nullptr) std::fclose(out);
    tzpusb_disposMotFile(image);
    tzpusb_close();
    std::printf("%.6f\n", seconds);
    return written ? 0 : 1;
}

// The child without the load: what the process holds anyway.
int baseline_child() {
    FakeUsb_AddPrinter("BENCH001", 0x0F3C, 0x5A17);
    uint16_t code = 0;
    if (tzpusb_openDownload(-1, &code) != 1) return 1;
    tzpusb_close();
    return 0;
}

struct Measured {
    double seconds = 1e30;
    uint64_t peak_kib = 0;
    bool ok = true;
};

Measured measure(const std::vector<std::string>& argv, const std::string& output, int runs) {
    Measured m;
    for (int i = 0; i < runs; ++i) {
        tz::platform::ChildRun run = tz::platform::run_child(argv, output, 120);
        if (!run.started || run.exit_status != 0) {
            std::fprintf(stderr, "%s failed (exit %d)\n", argv[0].c_str(), run.exit_status);
            m.ok = false;
            return m;
        }
        m.seconds = std::min(m.seconds, run.seconds);
        m.peak_kib = std::max(m.peak_kib, run.peak_rss_kib);
    }
    return m;
}

bool same_file(const std::string& a, const std::string& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    std::vector<char> p(1 << 20), q(1 << 20);
    while (x && y) {
        x.read(p.data(), static_cast<std::streamsize>(p.size()));
        y.read(q.data(), static_cast<std::streamsize>(q.size()));
        if (x.gcount() != y.gcount() || std::memcmp(p.data(), q.data(), static_cast<size_t>(x.gcount())) != 0)
            return false;
    }
    return !x && !y;
}

double read_seconds(const std::string& path) {
    std::ifstream in(path);
    double s = 0;
    in >> s;
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--load") == 0) return load_child(argv[2], argv[3]);
    if (argc == 2 && std::strcmp(argv[1], "--baseline") == 0) return baseline_child();
    uint64_t mib = 64;
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--mib") == 0) mib = std::strtoull(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    }
    const uint64_t image_size = mib << 20;
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("tz5170-bench-mot-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    const std::string mot = (folder / "image.mot").string();
    generate(mot, image_size);
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string ours = (folder / "ours.bin").string(), objcopy = (folder / "objcopy.bin").string(),
                      srec = (folder / "srec_cat.bin").string(), timing = (folder / "timing.txt").string();

    Measured m_objcopy = measure({"objcopy", "-I", "srec", "-O", "binary", mot, objcopy}, "", runs);
    Measured m_srec = measure({"srec_cat", mot, "-o", srec, "-binary"}, "", runs);
    double load_seconds = 1e30;
    Measured m_ours;
    for (int i = 0; i < runs; ++i) {
        Measured one = measure({self, "--load", mot, ours}, timing, 1);
        m_ours.ok = m_ours.ok && one.ok;
        m_ours.seconds = std::min(m_ours.seconds, one.seconds);
        m_ours.peak_kib = std::max(m_ours.peak_kib, one.peak_kib);
        load_seconds = std::min(load_seconds, read_seconds(timing));
    }
    Measured m_base = measure({self, "--baseline"}, "", 1);
    if (!m_objcopy.ok || !m_srec.ok || !m_ours.ok || !m_base.ok) return 1;

    const bool agree = same_file(ours, objcopy) && same_file(ours, srec) && fs::file_size(ours) == image_size;
    const double image_mib = static_cast<double>(image_size) / (1 << 20);
    const double allowed_kib = static_cast<double>(image_size + kReadBlock) / 1024;
    std::printf("MOT loader: a %.0f MiB image from a %.0f MB S-record file (S3, 32 data bytes, CR LF); best of %d\n",
                image_mib, static_cast<double>(fs::file_size(mot)) / 1e6, runs);
    std::printf("%-34s %9s %10s %22s\n", "", "seconds", "peak MiB", "peak / (image+block)");
    auto row = [&](const char* name, double seconds, uint64_t kib) {
        std::printf("%-34s %9.3f %10.1f %22.2f\n", name, seconds, kib / 1024.0, kib / allowed_kib);
    };
    row("objcopy -I srec -O binary (baseline)", m_objcopy.seconds, m_objcopy.peak_kib);
    row("srec_cat -o OUT -binary", m_srec.seconds, m_srec.peak_kib);
    row("our process (load + write image)", m_ours.seconds, m_ours.peak_kib);
    row("our process without the load", m_base.seconds, m_base.peak_kib);
    std::printf("%-34s %9.3f\n", "tzpusb_newMotFile (both passes)", load_seconds);
    std::printf("ratio objcopy / tzpusb_newMotFile:  %.2fx (target >= 3)\n", m_objcopy.seconds / load_seconds);
    std::printf("ratio srec_cat / tzpusb_newMotFile: %.2fx\n", m_srec.seconds / load_seconds);
    std::printf("ratio objcopy / our whole process:  %.2fx\n", m_objcopy.seconds / m_ours.seconds);
    std::printf("peak memory of the load (ours minus the process without it) / (image+block): %.3f (target <= 1.1)\n",
                static_cast<double>(m_ours.peak_kib - std::min(m_ours.peak_kib, m_base.peak_kib)) / allowed_kib);
    std::printf("images agree byte for byte: %s\n", agree ? "yes" : "NO");
    fs::remove_all(folder);
    return agree ? 0 : 1;
}
