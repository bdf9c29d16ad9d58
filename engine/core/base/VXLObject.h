#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// The engine's allocator: zero-filled blocks with a guard word in front of the
// payload, so that releasing an object frees only what owns a block of its own.
//
// Layout of a block (16-byte header keeps payloads aligned):
//   [block + 0 .. 7]  unused padding
//   [block + 8 .. 15] guard = block address + 0xD00F
//   [block + 16 ...]  payload (what callers see)
inline constexpr std::uintptr_t kVxlGuardOffset = 0xD00F;
inline constexpr std::size_t kVxlBlockHeader = 16;

void* vxlAlloc(std::uint32_t size);
// The same block without the zero fill, for storage its owner writes before
// reading (byte buffers); vxlFree releases it like any other.
void* vxlAllocUnfilled(std::uint32_t size);
void vxlFree(void* payload);
bool vxlIsHeapObject(const void* payload);
void* vxlZeroFill(std::size_t size, void* address);

void* vxlMemMove(void* dst, const void* src, std::size_t n);
void* vxlMemCopy(void* dst, const void* src, std::size_t n);
void* vxlMemSet(void* dst, int value, std::size_t n);
std::size_t vxlStrLen(const char* s);
const char* vxlStrChr(const char* s, int c);
int vxlStrNCmp(const char* a, const char* b, std::size_t n);
const char* vxlStrStr(const char* haystack, const char* needle);
int vxlAtoi(const char* s);
std::size_t vxlSpan(const char* s, const char* set);
std::size_t vxlComplementSpan(const char* s, const char* set);
std::uint16_t vxlSwap16(std::uint16_t v);
std::uint32_t vxlSwap32(std::uint32_t v);

// Root of every engine class. Objects created with new come from vxlAlloc
// (zero-filled, null on exhaustion: the constructor is then skipped), and
// delete runs the destructor but frees only a guarded heap block, so deleting
// an object embedded in another runs its destructor and frees nothing.
class CVXLObject {
public:
    CVXLObject() = default;
    // Tells the object watches (VXLObjectWatch.h) that the object is gone;
    // while none holds an address that costs one atomic read here.
    virtual ~CVXLObject()
    {
        if (watchesHoldingAddresses.load(std::memory_order_acquire) != 0)
            tellWatches();
    }

    static void* operator new(std::size_t size) noexcept;
    static void operator delete(void* payload) noexcept;
    static void* operator new[](std::size_t size) = delete;
    static void operator delete[](void* payload) = delete;
    // Placement form, for objects built inside storage their owner manages.
    static void* operator new(std::size_t, void* where) noexcept { return where; }
    static void operator delete(void*, void*) noexcept { }

protected:
    // For the operator new of a class whose constructors set every member it
    // declares (VXL_NEW_WITHOUT_ZERO_FILL): an object of exactly that class
    // (size ownSize) skips the zero fill; a derived class keeps it.
    static void* allocateUnlessDerived(std::size_t size, std::size_t ownSize) noexcept;

private:
    friend class CVXLObjectWatch;

    void tellWatches() const;

    static std::atomic<std::uint32_t> watchesHoldingAddresses;
};

// In the body of a class derived from CVXLObject whose constructors set every
// member it declares: new skips the zero fill for objects of exactly Class.
#define VXL_NEW_WITHOUT_ZERO_FILL(Class)                                                                     \
    using CVXLObject::operator new;                                                                          \
    static void* operator new(std::size_t size) noexcept                                                     \
    {                                                                                                        \
        return allocateUnlessDerived(size, sizeof(Class));                                                   \
    }                                                                                                        \
    using CVXLObject::operator delete;                                                                       \
    static void operator delete(void* payload) noexcept                                                      \
    {                                                                                                        \
        CVXLObject::operator delete(payload);                                                                \
    }
