// What the layers above core keep in each context (the print session, the
// download session). Core creates them with the context, makes them ready
// when the library is opened and releases them with the context, without
// knowing what they are.
#pragma once

#include <memory>

#include "result_codes.h"

namespace tz::lib {

class PrinterContext;

// How the library is opened: for printing and everything else, or for
// firmware download (no colour library; the download state made).
enum class OpenKind { Printing, Download };

class ContextParts {
public:
    virtual ~ContextParts() = default;
    // Called once the USB control library is bound and before the printers
    // are enumerated; 0, or the code the open fails with. Calling it again
    // finds everything in place.
    virtual ResultCode ready(OpenKind kind) = 0;
    // The context is being released: give back what `ready` took.
    virtual void release() = 0;
    // A printer was selected by its index (or found again in its entry).
    virtual void selected_by_index() = 0;
};

// Makes the parts of a new context; null when memory is short.
using ContextPartsFactory = std::unique_ptr<ContextParts> (*)(PrinterContext& context);

}  // namespace tz::lib
