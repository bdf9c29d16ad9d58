#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/platform/VXLAlbumListener.h"
#include "engine/core/platform/VXLDataSink.h"
#include "engine/core/platform/VXLItemDetailsSink.h"
#include "engine/core/platform/VXLNameListener.h"
#include "engine/core/platform/VXLSinkInterface.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Sinks that write down every call the platform layer makes on them.

struct RecordingCallback : CVXLCallback {
    void call(std::uint32_t value) override { values.push_back(value); }
    std::vector<std::uint32_t> values;
};

struct RecordingNames : CVXLNameListener {
    void setName(const char* name) override { names.emplace_back(name); }
    void done(std::uint32_t status) override { statuses.push_back(status); }
    std::vector<std::string> names;
    std::vector<std::uint32_t> statuses;
};

struct RecordingData : CVXLDataSink {
    void dataArrived(const std::uint8_t* bytes, std::uint32_t count) override
    {
        chunks.emplace_back(reinterpret_cast<const char*>(bytes), count);
    }
    void complete(std::uint32_t status) override { statuses.push_back(status); }
    std::string bytes() const
    {
        std::string all;
        for (const std::string& chunk : chunks)
            all += chunk;
        return all;
    }
    std::vector<std::string> chunks;
    std::vector<std::uint32_t> statuses;
};

// Offers its bytes from where the last consume left off.
struct RecordingSource : CVXLSinkInterface {
    explicit RecordingSource(std::string bytes)
        : data(std::move(bytes))
    {
    }
    const std::uint8_t* getData() override
    {
        return reinterpret_cast<const std::uint8_t*>(data.data()) + offset;
    }
    std::uint32_t getLength() override { return static_cast<std::uint32_t>(data.size() - offset); }
    void consume(std::uint32_t count, std::uint32_t error) override
    {
        offset += count;
        consumed.emplace_back(count, error);
    }
    std::string data;
    std::size_t offset = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> consumed;
};

struct RecordingAlbums : CVXLAlbumListener {
    void albumFound(const char* name, std::uint32_t a, std::uint32_t b, std::uint32_t c) override
    {
        albums.push_back(
            std::string(name) + " " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c));
    }
    void summary(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t e) override
    {
        summaries.push_back({a, b, c, d, e});
    }
    void done(std::uint32_t status) override { statuses.push_back(status); }
    std::vector<std::string> albums;
    std::vector<std::vector<std::uint32_t>> summaries;
    std::vector<std::uint32_t> statuses;
};

struct RecordingDetails : CVXLItemDetailsSink {
    void setSize(std::uint32_t value) override { sizes.push_back(value); }
    void setMimeType(const char* type) override { types.emplace_back(type); }
    void done(std::uint32_t status) override { statuses.push_back(status); }
    std::vector<std::uint32_t> sizes;
    std::vector<std::string> types;
    std::vector<std::uint32_t> statuses;
};
