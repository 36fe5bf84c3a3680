// Loading shared libraries and looking up their entry points.

#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include <utility>

namespace tz::platform {
namespace {

using CosFunction = double (*)(double);

// A library of the system that every program may load, with cos and sin.
#ifdef _WIN32
constexpr const char* kMathLibrary = "msvcrt.dll";
#else
constexpr const char* kMathLibrary = "libm.so.6";
#endif

TEST(DynamicLibrary, MissingLibraryFailsWithAReason) {
    auto library = DynamicLibrary::load("libtz5170-no-such-library.so");
    EXPECT_FALSE(library.loaded());
    EXPECT_NE(library.error().find("libtz5170-no-such-library.so"), std::string::npos) << library.error();
    EXPECT_EQ(library.symbol("cos"), nullptr);

    // An empty name must not hand back the program itself.
    auto empty = DynamicLibrary::load("");
    EXPECT_FALSE(empty.loaded());
    EXPECT_FALSE(empty.error().empty());
}

TEST(DynamicLibrary, SystemLibraryIsFoundByBareNameAndItsSymbolsWork) {
    auto library = DynamicLibrary::load(kMathLibrary);
    ASSERT_TRUE(library.loaded()) << library.error();
    EXPECT_TRUE(library.error().empty());

    auto cos = reinterpret_cast<CosFunction>(library.symbol("cos"));
    ASSERT_NE(cos, nullptr);
    EXPECT_DOUBLE_EQ(cos(0.0), 1.0);
    EXPECT_EQ(library.symbol("tz5170_no_such_symbol"), nullptr);
    EXPECT_NE(library.symbol("sin"), nullptr) << "a failed lookup does not spoil the next";
}

TEST(DynamicLibrary, OwnershipMovesAndCloseUnloads) {
    auto first = DynamicLibrary::load(kMathLibrary);
    ASSERT_TRUE(first.loaded());

    DynamicLibrary second(std::move(first));
    EXPECT_FALSE(first.loaded());
    EXPECT_EQ(first.symbol("cos"), nullptr);
    ASSERT_TRUE(second.loaded());

    DynamicLibrary third = DynamicLibrary::load("libtz5170-no-such-library.so");
    third = std::move(second);
    EXPECT_FALSE(second.loaded());
    ASSERT_TRUE(third.loaded());
    EXPECT_NE(third.symbol("cos"), nullptr);
    EXPECT_TRUE(third.error().empty()) << "no stale error from what it held before";

    third.close();
    EXPECT_FALSE(third.loaded());
    EXPECT_EQ(third.symbol("cos"), nullptr);
    third.close();  // closing twice is harmless
}

}  // namespace
}  // namespace tz::platform
