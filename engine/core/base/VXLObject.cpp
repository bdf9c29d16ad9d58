#include "engine/core/base/VXLObject.h"

#include "engine/core/base/VXLObjectWatch.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

std::uintptr_t guardFor(const void* payload)
{
    return reinterpret_cast<std::uintptr_t>(payload) - kVxlBlockHeader + kVxlGuardOffset;
}

// Reads the word in front of any object, heap or not; that word belongs to
// whatever lies before the object, so the sanitizer must not flag the read.
__attribute__((no_sanitize("address"))) std::uintptr_t wordBefore(const void* payload)
{
    std::uintptr_t word;
    const auto* at = static_cast<const unsigned char*>(payload) - sizeof(std::uintptr_t);
    std::memcpy(&word, at, sizeof word);
    return word;
}

} // namespace

namespace {

void* guarded(unsigned char* block)
{
    if (!block)
        return nullptr;
    const std::uintptr_t guard = reinterpret_cast<std::uintptr_t>(block) + kVxlGuardOffset;
    std::memcpy(block + kVxlBlockHeader - sizeof guard, &guard, sizeof guard);
    return block + kVxlBlockHeader;
}

} // namespace

void* vxlAlloc(std::uint32_t size)
{
    return guarded(
        static_cast<unsigned char*>(std::calloc(1, static_cast<std::size_t>(size) + kVxlBlockHeader)));
}

void* vxlAllocUnfilled(std::uint32_t size)
{
    return guarded(
        static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(size) + kVxlBlockHeader)));
}

bool vxlIsHeapObject(const void* payload)
{
    return payload && wordBefore(payload) == guardFor(payload);
}

void vxlFree(void* payload)
{
    if (!vxlIsHeapObject(payload))
        return;
    auto* block = static_cast<unsigned char*>(payload) - kVxlBlockHeader;
    // Clear the guard so a second free of the same address is a no-op.
    std::memset(block + kVxlBlockHeader - sizeof(std::uintptr_t), 0, sizeof(std::uintptr_t));
    std::free(block);
}

void* vxlZeroFill(std::size_t size, void* address)
{
    return std::memset(address, 0, size);
}

void* vxlMemMove(void* dst, const void* src, std::size_t n)
{
    return n ? std::memmove(dst, src, n) : dst;
}
void* vxlMemCopy(void* dst, const void* src, std::size_t n)
{
    return n ? std::memcpy(dst, src, n) : dst;
}
void* vxlMemSet(void* dst, int value, std::size_t n)
{
    return n ? std::memset(dst, value, n) : dst;
}
std::size_t vxlStrLen(const char* s)
{
    return std::strlen(s);
}
const char* vxlStrChr(const char* s, int c)
{
    return std::strchr(s, c);
}
int vxlStrNCmp(const char* a, const char* b, std::size_t n)
{
    return std::strncmp(a, b, n);
}
const char* vxlStrStr(const char* haystack, const char* needle)
{
    return std::strstr(haystack, needle);
}
int vxlAtoi(const char* s)
{
    // atoi is undefined on overflow; saturate instead.
    long long v = std::strtoll(s, nullptr, 10);
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}
std::size_t vxlSpan(const char* s, const char* set)
{
    return std::strspn(s, set);
}
std::size_t vxlComplementSpan(const char* s, const char* set)
{
    return std::strcspn(s, set);
}
std::uint16_t vxlSwap16(std::uint16_t v)
{
    return static_cast<std::uint16_t>((v >> 8) | (v << 8));
}
std::uint32_t vxlSwap32(std::uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

constinit std::atomic<std::uint32_t> CVXLObject::watchesHoldingAddresses {0};

void CVXLObject::tellWatches() const
{
    CVXLObjectWatch::objectDestroyed(this);
}

void* CVXLObject::operator new(std::size_t size) noexcept
{
    if (size > std::numeric_limits<std::uint32_t>::max())
        return nullptr;
    return vxlAlloc(static_cast<std::uint32_t>(size));
}

void* CVXLObject::allocateUnlessDerived(std::size_t size, std::size_t ownSize) noexcept
{
    if (size != ownSize)
        return operator new(size);
    return vxlAllocUnfilled(static_cast<std::uint32_t>(size));
}

void CVXLObject::operator delete(void* payload) noexcept
{
    vxlFree(payload);
}
