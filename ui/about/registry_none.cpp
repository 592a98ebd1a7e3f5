// Platforms without a registry: no key can be opened, so the system
// information lookup always ends in its "unavailable" message.
#include "ui/about/registry.h"

namespace tessaline {
namespace {

class NoRegistry final : public Registry {
public:
    bool openKey(std::uint32_t, const std::string&, std::uint32_t, Handle&) override { return false; }
    bool queryValue(Handle, const std::string&, std::uint32_t&, unsigned char*, std::uint32_t&) override
    {
        return false;
    }
    void closeKey(Handle) override {}
};

}  // namespace

std::shared_ptr<Registry> platformRegistry() { return std::make_shared<NoRegistry>(); }

}  // namespace tessaline
