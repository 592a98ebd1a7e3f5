// Line-break pass hooks given as callbacks, for tests that set only some of
// them. An unset wordWrap means "on", an unset cancelRequested "never"; unset
// yield and progress do nothing. The settings are read afresh at every use,
// so any callback may change them mid-run.
#pragma once

#include <cstdint>
#include <functional>

namespace tessaline {

struct CallbackHooks {
    std::function<bool()> onWordWrap;
    std::function<bool()> onCancelRequested;
    std::function<void()> onYield;
    std::function<void(std::int64_t maximum, std::int64_t value)> onProgress;

    bool wordWrap() const { return onWordWrap ? onWordWrap() : true; }
    bool cancelRequested() const { return onCancelRequested && onCancelRequested(); }
    void yield() const
    {
        if (onYield) {
            onYield();
        }
    }
    void progress(std::int64_t maximum, std::int64_t value) const
    {
        if (onProgress) {
            onProgress(maximum, value);
        }
    }
};

}  // namespace tessaline
