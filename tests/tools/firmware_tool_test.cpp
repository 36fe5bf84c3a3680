// TZ5170Firmware end to end: the program run as a tester runs it, its files
// read back byte by byte at the offsets of the firmware layouts, its JSON
// output parsed. No printer is involved.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "temp_folder.h"

namespace {

using nlohmann::json;

const std::string kTool = std::string(TZ_BIN_DIR) + "/TZ5170Firmware";

using tz::test::read_file;

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::string text = read_file(path);
    return {text.begin(), text.end()};
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

std::string text_at(const std::vector<uint8_t>& bytes, size_t offset, size_t size) {
    if (offset + size > bytes.size()) return "(beyond the end)";
    return {bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.begin() + static_cast<std::ptrdiff_t>(offset + size)};
}

struct Outcome {
    int status;
    std::string out, err;
};

class FirmwareTool : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return folder_.file(name); }

    Outcome run(const std::vector<std::string>& args) {
        tz::test::Child child(kTool, args, folder_);
        EXPECT_TRUE(child.started()) << kTool;
        const int status = child.wait(std::chrono::seconds(60));
        return {status, child.out(), child.err()};
    }

    // The one JSON document of a command run with --json and exit status `expected`.
    json run_json(std::vector<std::string> args, int expected) {
        args.insert(args.begin(), "--json");
        Outcome r = run(args);
        EXPECT_EQ(r.status, expected) << r.err;
        EXPECT_TRUE(json::accept(r.out)) << r.out;
        return json::parse(r.out, nullptr, false);
    }

    // Makes an image and returns its bytes.
    std::vector<uint8_t> make(const std::string& name, std::vector<std::string> args) {
        args.insert(args.begin(), "make");
        args.insert(args.end(), {"-o", file(name)});
        Outcome r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return read_bytes(file(name));
    }

    tz::test::TempFolder folder_;
};

TEST_F(FirmwareTool, MakeWritesEachPartWithIdentifierAndVersionAtTheLayoutOffsets) {
    std::vector<uint8_t> main = make("main.bin", {"MAIN", "--version", "05.1a"});
    ASSERT_EQ(main.size(), 262144u);
    EXPECT_EQ(text_at(main, 10, 11), "TZP-K2207-5");
    EXPECT_EQ(text_at(main, 26, 4), "051A");

    std::vector<uint8_t> dsp = make("dsp.bin", {"dsp", "--version", "05.1A"});
    ASSERT_EQ(dsp.size(), 65536u);
    EXPECT_EQ(text_at(dsp, 61328, 11), "TZP-K2207-5");
    EXPECT_EQ(text_at(dsp, 61344, 4), "051A");

    std::vector<uint8_t> table = make("table.bin", {"Table", "--version", "05.1A"});
    ASSERT_EQ(table.size(), 4096u);
    EXPECT_EQ(text_at(table, 10, 11), "TZP-K2207-5");
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 26, table.begin() + 30), (std::vector<uint8_t>{0x05, 0x00, 0x0A, 0x01}));

    std::vector<uint8_t> usb = make("usb.bin", {"usb", "--version", "05.1A"});
    ASSERT_EQ(usb.size(), 49152u);
    EXPECT_EQ(usb[0], 0xC2);
    EXPECT_EQ(text_at(usb, 49098, 11), "TZP-K2207-5");
    EXPECT_EQ(usb[49114], 0x05);
    EXPECT_EQ(usb[49115], 0x1A);

    // The body is pseudo-random and reproducible: same seed, same image; another seed, another body.
    EXPECT_EQ(make("again.bin", {"MAIN", "--version", "05.1A"}), main);
    std::vector<uint8_t> other = make("other.bin", {"MAIN", "--version", "05.1A", "--seed", "7"});
    EXPECT_EQ(text_at(other, 0, 30), text_at(main, 0, 30));
    EXPECT_NE(other, main);

    // A size too small for the header block: what fits, nothing more.
    std::vector<uint8_t> small = make("small.bin", {"MAIN", "--version", "05.1A", "--size", "28"});
    ASSERT_EQ(small.size(), 28u);
    EXPECT_EQ(text_at(small, 10, 11), "TZP-K2207-5");
    EXPECT_EQ(text_at(small, 26, 2), "05");
    EXPECT_TRUE(make("empty.bin", {"USB", "--version", "01.00", "--size", "0"}).empty());
}

TEST_F(FirmwareTool, InspectReadsTheVersionAsTheUpgradeProgramDoes) {
    for (const char* part : {"MAIN", "DSP", "TABLE", "USB"}) {
        std::string name = std::string(part) + ".bin";
        make(name, {part, "--version", "05.1A"});
        json doc = run_json({"inspect", file(name)}, 0);
        EXPECT_EQ(doc["part"], part);
        EXPECT_EQ(doc["guessed"], true);
        EXPECT_EQ(doc["identifier"], "TZP-K2207-5");
        EXPECT_EQ(doc["version"], "05.1A") << part;
        EXPECT_EQ(doc["version_major"], 0x05);
        EXPECT_EQ(doc["version_minor"], 0x1A);
        EXPECT_EQ(doc["ok"], true) << doc.dump();
    }

    // Files written by hand. TABLE: major = byte 27 * 16 + byte 26, minor likewise from 29 and 28.
    std::vector<uint8_t> table(64, 0);
    std::memcpy(table.data() + 10, "TZP-K2207-5", 11);
    table[26] = 0x01, table[27] = 0x02, table[28] = 0x0F, table[29] = 0x00;
    write_bytes(file("table-by-hand.bin"), table);
    json doc = run_json({"inspect", "--part", "table", file("table-by-hand.bin")}, 0);
    EXPECT_EQ(doc["version"], "21.0F");
    EXPECT_EQ(doc["sum"], 693);  // the identifier's bytes (675), plus 1 + 2 + 15
    EXPECT_EQ(doc["guessed"], false);

    // MAIN with 'G' at 27: error 2; the file is then no MAIN by guess.
    std::vector<uint8_t> main(30, 0);
    std::memcpy(main.data() + 10, "TZP-K2207-5", 11);
    std::memcpy(main.data() + 26, "0G10", 4);
    write_bytes(file("main-by-hand.bin"), main);
    doc = run_json({"inspect", "--part", "MAIN", file("main-by-hand.bin")}, 1);
    EXPECT_EQ(doc["version"], nullptr);
    EXPECT_EQ(doc["version_error"], 2);
    EXPECT_EQ(doc["checks"]["version"]["ok"], false);
    EXPECT_EQ(doc["checks"]["size"]["ok"], true);
    // One byte short of the version: error 5, nothing read beyond the end.
    main.resize(29);
    write_bytes(file("main-short.bin"), main);
    EXPECT_EQ(run_json({"inspect", "--part", "MAIN", file("main-short.bin")}, 1)["version_error"], 5);

    Outcome r = run({"inspect", file("main-by-hand.bin"), "--part", "MAIN"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("error 2: the character at 27 is no hex digit"), std::string::npos) << r.out;
}

TEST_F(FirmwareTool, EachFaultFailsItsOwnCheckInInspect) {
    struct Case {
        std::vector<std::string> make;
        std::string failed;     // the one check that fails
        int version_error = 0;  // as the upgrade program reads it
    };
    const std::vector<Case> cases = {
        {{"MAIN", "--bad-identifier"}, "identifier"},
        {{"DSP", "--bad-identifier"}, "identifier"},
        {{"TABLE", "--bad-identifier"}, "identifier"},
        {{"USB", "--bad-identifier"}, "identifier"},
        {{"USB", "--bad-first-byte"}, "first_byte"},
        {{"USB", "--size", "49151"}, "size"},
        {{"USB", "--size", "49153"}, "size"},
        {{"MAIN", "--size", "21"}, "version", 5},  // the identifier fits, just; the version does not
        {{"MAIN", "--bad-version-digit", "1"}, "version", 1},
        {{"MAIN", "--bad-version-digit", "4"}, "version", 4},
        {{"DSP", "--bad-version-digit", "2"}, "version", 2},
        {{"DSP", "--bad-version-digit", "3"}, "version", 3},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.make;
        args.insert(args.end(), {"--version", "01.02"});
        make("image.bin", args);
        json doc = run_json({"inspect", file("image.bin"), "--part", c.make[0]}, 1);
        std::string label = c.make[0] + " " + c.make[1];
        EXPECT_EQ(doc["ok"], false) << label;
        for (const auto& [name, check] : doc["checks"].items())
            EXPECT_EQ(check["ok"], name != c.failed) << label << ": " << name << " " << check.dump();
        EXPECT_EQ(doc["version_error"], c.version_error) << label;
    }
    make("first.bin", {"USB", "--version", "01.02", "--bad-first-byte"});
    EXPECT_NE(read_bytes(file("first.bin"))[0], 0xC2);
    make("ident.bin", {"MAIN", "--version", "01.02", "--bad-identifier"});
    EXPECT_EQ(text_at(read_bytes(file("ident.bin")), 10, 11), "TZP-K2207-4");

    // A DSP one byte short: the size fails, and the identifier and version no longer fit.
    make("dsp.bin", {"DSP", "--version", "01.02", "--size", "61338"});
    json doc = run_json({"inspect", file("dsp.bin"), "--part", "DSP"}, 1);
    EXPECT_EQ(doc["checks"]["size"]["ok"], false);
    EXPECT_EQ(doc["identifier"], nullptr);
    EXPECT_EQ(doc["version_error"], 5);
    make("table.bin", {"TABLE", "--version", "01.02", "--size", "20"});
    EXPECT_EQ(run_json({"inspect", file("table.bin"), "--part", "TABLE"}, 1)["checks"]["size"]["ok"], false);
}

TEST_F(FirmwareTool, MotWritesSRecordsWithTheirChecksums) {
    std::vector<uint8_t> image(40);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i);
    write_bytes(file("a.bin"), image);
    Outcome r = run({"mot", file("a.bin"), "--base", "0x1000", "-o", file("a.mot")});
    ASSERT_EQ(r.status, 0) << r.err;
    // S0: count 08, address 0000, "a.bin"; sum 0x1D0, checksum 0x2F.
    // S3: count 25, address 00001000, bytes 00..1F (sum 0x1F0); sum 0x225, checksum 0xDA.
    // S3: count 0D, address 00001020, bytes 20..27 (sum 0x11C); sum 0x159, checksum 0xA6.
    // S7: count 05, entry 00001000; sum 0x15, checksum 0xEA.
    EXPECT_EQ(read_file(file("a.mot")),
              "S0080000612E62696E2F\r\n"
              "S32500001000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FDA\r\n"
              "S30D000010202021222324252627A6\r\n"
              "S70500001000EA\r\n");

    // The last byte may sit at 0xFFFFFFFF, not beyond.
    write_bytes(file("16.bin"), std::vector<uint8_t>(16, 0xFF));
    r = run({"mot", file("16.bin"), "--base", "0xFFFFFFF0", "-o", file("16.mot")});
    EXPECT_EQ(r.status, 0) << r.err;
    // count 15 + address FF FF FF F0 + sixteen FF: sum 0x13F2, checksum 0x0D.
    EXPECT_NE(read_file(file("16.mot")).find("\r\nS315FFFFFFF0" + std::string(32, 'F') + "0D\r\n"), std::string::npos);
    write_bytes(file("32.bin"), std::vector<uint8_t>(32, 0));
    r = run({"mot", file("32.bin"), "--base", "0xFFFFFFF0", "-o", file("32.mot")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("0xFFFFFFFF"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(file("32.mot")));
}

TEST_F(FirmwareTool, HelpExitsZeroUsageErrorsTwoFailuresOne) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--help"}, {"make", "--help"}, {"mot", "--help"},
                                          {"inspect", "--help"}}) {
        Outcome r = run(args);
        EXPECT_EQ(r.status, 0) << args[0];
        EXPECT_NE(r.out.find("Usage:"), std::string::npos) << r.out;
    }
    write_bytes(file("in.bin"), {1, 2, 3});
    const std::string out = file("out.bin");
    for (std::vector<std::string> args :
         {std::vector<std::string>{}, {"frob"}, {"make", "MAIN", "-o", out}, {"make", "ROM", "--version", "01.00", "-o", out},
          {"make", "MAIN", "--version", "1.00", "-o", out}, {"make", "MAIN", "--version", "01.0G", "-o", out},
          {"make", "MAIN", "--version", "01.00", "--bad-first-byte", "-o", out},
          {"make", "TABLE", "--version", "01.00", "--bad-version-digit", "1", "-o", out},
          {"make", "DSP", "--version", "01.00", "--bad-version-digit", "5", "-o", out},
          {"make", "DSP", "--version", "01.00", "--size", "-1", "-o", out},
          {"mot", file("in.bin"), "--base", "0x1g", "-o", out}, {"mot", file("in.bin"), "--base", "0x100000000", "-o", out},
          {"mot", file("in.bin"), "--base", "0", "-o", file("in.bin")}, {"inspect", file("in.bin"), "--part", "ROM"}}) {
        Outcome r = run(args);
        std::string label = args.empty() ? "(none)" : args[0] + " " + args.back();
        EXPECT_EQ(r.status, 2) << label;
        EXPECT_TRUE(r.out.empty()) << label << ": " << r.out;
        EXPECT_FALSE(r.err.empty()) << label;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(read_bytes(file("in.bin")).size(), 3u);  // not overwritten by its own MOT file

    json doc = run_json({"inspect", file("no-such.bin")}, 1);
    EXPECT_EQ(doc["ok"], false);
    Outcome r = run({"make", "MAIN", "--version", "01.00", "-o", file("no-such-folder/x.bin")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
}

// Inputs that never end are refused at once: a device outright, a pipe once
// it has given more than 64 MiB (a pipe of an image still works).
TEST_F(FirmwareTool, InputsThatNeverEndAreRefused) {
    const std::string device = "/dev/zero: a character device, not a regular file or a pipe";
    const std::string pipe = "/dev/stdin: a pipe giving more than 64 MiB";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"\"$0\" inspect /dev/zero", device},
        {"\"$0\" mot /dev/zero --base 0 -o out.mot", device},
        {"yes | \"$0\" inspect /dev/stdin", pipe},
        {"yes | \"$0\" mot /dev/stdin --base 0 -o out.mot", pipe},
    };
    for (const auto& [command, message] : cases) {
        tz::test::Child child("/bin/sh", {"-c", command, kTool}, folder_, folder_.path());
        EXPECT_EQ(child.wait(std::chrono::seconds(60)), 2) << command;
        EXPECT_NE(child.err().find(message), std::string::npos) << command << ": " << child.err();
        EXPECT_FALSE(std::filesystem::exists(file("out.mot"))) << command;
    }
    write_bytes(file("a.bin"), std::vector<uint8_t>(40, 0xAB));
    tz::test::Child piped("/bin/sh", {"-c", "cat a.bin | \"$0\" mot /dev/stdin --base 0 -o out.mot", kTool}, folder_,
                          folder_.path());
    EXPECT_EQ(piped.wait(std::chrono::seconds(60)), 0) << piped.err();
}

// A package the upgrade program can run: every part file valid with the
// package's version, the INI naming them, the launcher and the pattern folder.
TEST_F(FirmwareTool, PackageHoldsAValidPartForEverySectionOfItsIni) {
    const std::string dir = file("package");
    json doc = run_json({"package", "--dir", dir, "--version", "06.05"}, 0);
    EXPECT_EQ(doc["version"], "06.05");
    const std::string ini = read_file(dir + "/TZ5170upgrade.ini");
    for (const char* line : {"[USB]\nFILEPATH=firmware/usb.bin\n", "[MAIN_NEWPCB2]\nFILEPATH=firmware/main_newpcb2.bin\nRESET=1\n",
                             "[TONECURVE]\nRESET=0\n", "MainFwVersionMajor=06\nMainFwVersionMinor=00\n"})
        EXPECT_NE(ini.find(line), std::string::npos) << line;
    for (const auto& [name, part] : std::vector<std::pair<std::string, std::string>>{
             {"usb", "USB"}, {"main_oldpcb", "MAIN"}, {"main_newpcb", "MAIN"}, {"main_newpcb2", "MAIN"}, {"dsp", "DSP"}, {"table", "TABLE"}}) {
        json part_doc = run_json({"inspect", dir + "/firmware/" + name + ".bin", "--part", part}, 0);
        EXPECT_EQ(part_doc["version"], "06.05") << name;
    }
    EXPECT_NE(read_bytes(dir + "/firmware/main_oldpcb.bin"), read_bytes(dir + "/firmware/main_newpcb.bin"));
    EXPECT_EQ(read_file(dir + "/TZ5170_LM_Patterns_for_panoramic/Sandtexture_2464x3720_V1.ini"),
              "[LAMINATE]\nPATTERN=Sandtexture_2464x3720_V1.bin\nTARGET=16\n");
    EXPECT_EQ(std::filesystem::file_size(dir + "/TZ5170_LM_Patterns_for_panoramic/Sandtexture_2464x3720_V1.bin"), 9166080u);
    EXPECT_NE(read_file(dir + "/LamiImageDl.sh").find("\n/bin/sh ./Sandtexture_2464x3720_V1.sh\n"), std::string::npos);
}

}  // namespace
