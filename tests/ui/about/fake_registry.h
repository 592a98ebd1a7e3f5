// An in-memory registry for the about box tests: keys by (root, path), each
// with named values of a type and bytes. It records every call, and can be
// told to report a value size larger than the buffer it was given.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/about/registry.h"

namespace tessaline::testing {

class FakeRegistry : public Registry {
public:
    struct Value {
        std::uint32_t type = 1;
        std::vector<unsigned char> bytes;
    };
    struct OpenCall {
        std::uint32_t root;
        std::string subKey;
        std::uint32_t access;
    };

    void set(const std::string& subKey, const std::string& name, std::uint32_t type, std::vector<unsigned char> bytes,
             std::uint32_t root = 0x80000002)
    {
        keys_[{root, subKey}][name] = Value{type, std::move(bytes)};
    }
    void setString(const std::string& subKey, const std::string& name, const std::string& text)
    {
        std::vector<unsigned char> bytes(text.begin(), text.end());
        bytes.push_back(0);
        set(subKey, name, 1, std::move(bytes));
    }
    void addKey(const std::string& subKey, std::uint32_t root = 0x80000002) { keys_[{root, subKey}]; }

    bool openKey(std::uint32_t root, const std::string& subKey, std::uint32_t access, Handle& key) override
    {
        opens.push_back({root, subKey, access});
        auto found = keys_.find({root, subKey});
        if (found == keys_.end())
            return false;
        key = nextHandle_++;
        openHandles_[key] = &found->second;
        return true;
    }

    bool queryValue(Handle key, const std::string& valueName, std::uint32_t& type, unsigned char* buffer,
                    std::uint32_t& size) override
    {
        queries.push_back(valueName);
        bufferSizes.push_back(size);
        auto handle = openHandles_.find(key);
        if (handle == openHandles_.end())
            return false;
        auto value = handle->second->find(valueName);
        if (value == handle->second->end())
            return false;
        const auto& bytes = value->second.bytes;
        if (bytes.size() > size)
            return false;
        // An empty value has no bytes to copy, and its data() may be null.
        if (!bytes.empty())
            std::memcpy(buffer, bytes.data(), bytes.size());
        type = value->second.type;
        size = static_cast<std::uint32_t>(bytes.size()) + overstateSizeBy;
        return true;
    }

    void closeKey(Handle key) override
    {
        ++closes;
        openHandles_.erase(key);
    }

    std::size_t keysLeftOpen() const { return openHandles_.size(); }

    std::vector<OpenCall> opens;
    std::vector<std::string> queries;
    std::vector<std::uint32_t> bufferSizes;
    int closes = 0;
    std::uint32_t overstateSizeBy = 0;  // a misbehaving registry

private:
    std::map<std::pair<std::uint32_t, std::string>, std::map<std::string, Value>> keys_;
    std::map<Handle, std::map<std::string, Value>*> openHandles_;
    Handle nextHandle_ = 100;
};

}  // namespace tessaline::testing
