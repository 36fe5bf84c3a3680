// Owning wrappers around LittleCMS handles and the library's private
// LittleCMS context. Everything this library creates in LittleCMS lives in
// that context, so a host application's own LittleCMS set-up (plug-ins,
// error handler) neither affects us nor is affected by us.
#pragma once

#include <lcms2.h>

#include <memory>
#include <type_traits>

namespace tzcm {

struct ProfileCloser {
    void operator()(void *p) const noexcept { cmsCloseProfile(p); }
};
struct TransformDeleter {
    void operator()(void *t) const noexcept { cmsDeleteTransform(t); }
};
struct ToneCurveDeleter {
    void operator()(cmsToneCurve *c) const noexcept { cmsFreeToneCurve(c); }
};

using ProfilePtr = std::unique_ptr<std::remove_pointer_t<cmsHPROFILE>, ProfileCloser>;
using TransformPtr = std::unique_ptr<std::remove_pointer_t<cmsHTRANSFORM>, TransformDeleter>;
using ToneCurvePtr = std::unique_ptr<cmsToneCurve, ToneCurveDeleter>;

// The library's LittleCMS context: created on first use with a silent error
// handler (failures are reported through our result values), lives until the
// library is unloaded. Null only if LittleCMS could not allocate it.
cmsContext lcms_context() noexcept;

} // namespace tzcm
