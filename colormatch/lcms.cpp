#include "lcms.h"

namespace tzcm {
namespace {

void silent_error_handler(cmsContext, cmsUInt32Number, const char *) {}

class Context {
public:
    Context() noexcept : ctx_(cmsCreateContext(nullptr, nullptr)) {
        if (ctx_ != nullptr) {
            cmsSetLogErrorHandlerTHR(ctx_, silent_error_handler);
        }
    }
    ~Context() {
        if (ctx_ != nullptr) {
            cmsDeleteContext(ctx_);
        }
    }
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;

    cmsContext get() const noexcept { return ctx_; }

private:
    cmsContext ctx_;
};

} // namespace

cmsContext lcms_context() noexcept {
    static Context context;
    return context.get();
}

} // namespace tzcm
