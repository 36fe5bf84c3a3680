#include "platform/process.h"

#include "windows_api.h"

namespace tz::platform {

uint32_t current_thread_id() { return ::GetCurrentThreadId(); }

uint32_t current_process_id() { return ::GetCurrentProcessId(); }

void sleep_ms(uint32_t milliseconds) { ::Sleep(milliseconds); }

// The ends of threads run under the loader lock, which a thread that starts
// or ends must take too.
bool thread_end_can_wait_for_threads() { return false; }

bool running_as_administrator() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    &administrators))
        return false;
    BOOL member = FALSE;
    if (!::CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    ::FreeSid(administrators);
    return member != FALSE;
}

}  // namespace tz::platform
