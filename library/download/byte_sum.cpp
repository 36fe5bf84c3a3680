// Compiled once for every instruction set and chosen at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "download/byte_sum.cpp"
#include "hwy/foreach_target.h"  // IWYU pragma: keep
#include "hwy/highway.h"

#include "byte_sum.h"

HWY_BEFORE_NAMESPACE();
namespace tz::lib::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

uint32_t ByteSum(const uint8_t* HWY_RESTRICT bytes, size_t size) {
    const hn::ScalableTag<uint8_t> d8;
    const hn::Repartition<uint64_t, decltype(d8)> d64;
    const size_t lanes = hn::Lanes(d8);
    auto sums = hn::Zero(d64);
    size_t i = 0;
    for (; i + lanes <= size; i += lanes) sums = hn::Add(sums, hn::SumsOf8(hn::LoadU(d8, bytes + i)));
    uint64_t sum = hn::GetLane(hn::SumOfLanes(d64, sums));
    for (; i < size; ++i) sum += bytes[i];
    return static_cast<uint32_t>(sum);
}

}  // namespace tz::lib::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tz::lib {

HWY_EXPORT(ByteSum);

uint32_t byte_sum(const uint8_t* bytes, size_t size) { return HWY_DYNAMIC_DISPATCH(ByteSum)(bytes, size); }

}  // namespace tz::lib
#endif  // HWY_ONCE
