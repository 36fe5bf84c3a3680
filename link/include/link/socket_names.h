// Where a printer is served: every printer, virtual or behind the USB bridge,
// is a message socket DIR/<serial>.sock; a virtual printer also takes text
// commands on DIR/<serial>.ctl. One message is one USB transfer.
#pragma once

#include <cstddef>

namespace tz::link {

inline constexpr char kSocketSuffix[] = ".sock";
inline constexpr char kControlSuffix[] = ".ctl";
// Largest transfer either side sends in one message.
inline constexpr size_t kMaxTransfer = 65536;

}  // namespace tz::link
