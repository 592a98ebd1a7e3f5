// The calculator link over Debian's TI link libraries (libticables2,
// libticalcs2, libtifiles2, libticonv).
#pragma once

#include "link/calculator_link.h"

namespace tessaline {

// One transfer at a time per process: the libraries keep per-process state.
class TiLink : public CalculatorLink {
public:
    TiLink();
    std::vector<CableInfo> findCables() override;
    SendResult send(const SendRequest& request, const ProgressCallback& progress,
                    const std::atomic<bool>* cancel) override;
};

// Initialises the link libraries once per process and keeps their
// messages (information, warnings, complaints about its own calls) off
// standard error: the result says what went wrong. TiLink's constructor calls it.
void initialiseLinkLibraries();

}  // namespace tessaline
