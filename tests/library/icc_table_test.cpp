// The six channel tables and the colour world of tzpusb_setIcctable, against
// the tests' own colour-matching library, which logs every call.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "fake_colormatch/fake_color.h"
#include "one_scripted_printer.h"

namespace {

using tz::test::my_context;
using tz::test::my_print;
using Table = std::array<uint8_t, 256>;

Table filled(int add) {
    Table t;
    for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(i + add);
    return t;
}

class IccTable : public tz::test::OneScriptedPrinter {
protected:
    void SetUp() override {
        OneScriptedPrinter::SetUp();
        FakeColor_Reset();
    }

    // Calls tzpusb_setIcctable with table 1 and table 4 given, the others null.
    int set(const char* source, const char* destination, int intent = 0) {
        FakeColor_Reset();
        code_ = 0xFFFF;
        return tzpusb_setIcctable(source, destination, intent, t1_.data(), nullptr, nullptr, t4_.data(), nullptr,
                                  nullptr, &code_);
    }
    uint32_t world() const { return my_print().color.world(); }
    std::string log() const { return FakeColor_Log(); }

    Table t1_ = filled(1), t4_ = filled(4);
    uint16_t code_ = 0;
};

// Tables only: every table is set (the null ones to identity) and the world
// made before is disposed of, with no other call into the library.
TEST_F(IccTable, TablesOnlyInstallsTheTablesAndDisposesOfTheWorld) {
    ASSERT_EQ(set("/p/rgb-a.icc", "/p/rgb-b.icc"), 1) << code_;
    const uint32_t made = world();
    ASSERT_NE(made, 0u);
    my_print().tables.input.t[1] = filled(9);
    EXPECT_EQ(set(nullptr, nullptr), 1);
    EXPECT_EQ(code_, 0);
    EXPECT_EQ(world(), 0u);
    EXPECT_EQ(log(), "dispose " + std::to_string(made) + "\n");
    const auto& tables = my_print().tables;
    EXPECT_EQ(tables.input.t[0], t1_);
    EXPECT_EQ(tables.input.t[1], filled(0));
    EXPECT_EQ(tables.output.t[0], t4_);
    EXPECT_EQ(tables.output.t[2], filled(0));
}

// Every refusal leaves no world, closes what it opened and keeps the tables.
TEST_F(IccTable, RefusalsLeaveNoWorldAndCloseWhatWasOpened) {
    struct Case {
        const char* source;
        const char* destination;
        uint16_t code;
        const char* log;
    };
    const std::string too_long = "/" + std::string(259, 'r');  // 260 characters
    const Case cases[] = {
        {"/p/rgb-a.icc", nullptr, 1006, ""},
        {nullptr, "/p/rgb-b.icc", 1006, ""},
        {"/p/cmyk.icc", "/p/rgb-b.icc", 1006, "open cmyk.icc\nheader 1\nclose 1\n"},
        {"/p/rgb-a.icc", "/p/cmyk.icc", 1006, "open rgb-a.icc\nheader 1\nopen cmyk.icc\nheader 2\nclose 2\nclose 1\n"},
        {"/p/missing.icc", "/p/rgb-b.icc", 1005, "open missing.icc\n"},
        {"/p/rgb-a.icc", "/p/missing.icc", 1005, "open rgb-a.icc\nheader 1\nopen missing.icc\nclose 1\n"},
        {"/p/noworld.icc", "/p/rgb-b.icc", 1000,
         "open noworld.icc\nheader 1\nopen rgb-b.icc\nheader 2\ncreate 0 1 2\nclose 2\nclose 1\n"},
        {too_long.c_str(), "/p/rgb-b.icc", 1006, ""},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(set("/p/rgb-a.icc", "/p/rgb-b.icc"), 1);
        EXPECT_EQ(set(c.source, c.destination), 0) << c.log;
        EXPECT_EQ(code_, c.code) << c.log;
        EXPECT_EQ(world(), 0u) << c.log;
        EXPECT_EQ(log().substr(log().find('\n') + 1), c.log);  // after the old world's dispose
        EXPECT_EQ(my_print().tables.output.t[0], t4_);
    }
    // 259 characters still fit.
    const std::string longest = "/" + std::string(254, 'x') + "/rgb";
    EXPECT_EQ(set(longest.c_str(), "/p/rgb-b.icc"), 1) << code_;
}

// The world is made from both profiles with the intent (0 for one beyond
// 0..3, kept as given) and the block identity, 4, 5, 6, identity.
TEST_F(IccTable, WorldIsMadeWithTheIntentAndTheOutputTables) {
    const Table t5 = filled(5), t6 = filled(6);
    ASSERT_EQ(tzpusb_setIcctable("/p/rgb-a.icc", "/p/rgb-b.icc", 2, nullptr, nullptr, nullptr, t4_.data(),
                                 t5.data(), t6.data(), &code_),
              1)
        << code_;
    EXPECT_EQ(log(), "open rgb-a.icc\nheader 1\nopen rgb-b.icc\nheader 2\ncreate 2 1 2\nclose 2\nclose 1\n");
    const uint8_t* block = FakeColor_TableBlock();
    const Table* expected[5] = {nullptr, &t4_, &t5, &t6, nullptr};
    for (int b = 0; b < 5; ++b) {
        const Table want = expected[b] ? *expected[b] : filled(0);
        EXPECT_TRUE(std::equal(want.begin(), want.end(), block + b * 256)) << "table " << b;
    }
    EXPECT_EQ(set("/p/rgb-a.icc", "/p/rgb-b.icc", 7), 1);
    EXPECT_NE(log().find("create 0 "), std::string::npos) << log();
    EXPECT_EQ(my_print().color.intent, 7);
}

}  // namespace
