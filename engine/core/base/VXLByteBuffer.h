#pragma once

#include "engine/core/base/VXLObject.h"

#include <cstdint>

// Growable byte storage; a block that overflows doubles its room. Copies share one storage block; the holders
// of a block form a doubly linked chain with no head. Operations that change the length (append, insert,
// remove, assignment) give a holder its own block first, but write and fill inside the current length store
// straight into the shared block, so every sharer sees them.
//
// Every operation that may allocate returns false and leaves the buffer as it
// was when the heap refuses a block or when an offset or size is out of range.
//
// A holder is linked to its sharers by address: never move one with memcpy.
//
// A holder may instead borrow the block of a long-lived owner (borrow): it is
// not linked, counts as shared, and a copy of it links to the owner.
class CVXLByteBuffer : public CVXLObject {
public:
    // Largest length a block can hold: the block header and the spare bytes
    // must still fit in the allocator's 32-bit size.
    static constexpr std::uint32_t kMaxLength = 0xFFFFFFFFu - 16;

    CVXLByteBuffer() = default;
    explicit CVXLByteBuffer(std::uint32_t capacity);
    CVXLByteBuffer(const CVXLByteBuffer& other);
    // count bytes of source from start, clamped to the source's end.
    CVXLByteBuffer(const CVXLByteBuffer& source, std::uint32_t start, std::uint32_t count);
    CVXLByteBuffer& operator=(const CVXLByteBuffer& other);
    ~CVXLByteBuffer() override { release(); }

    virtual void clear();

    std::uint8_t* data() { return block_ ? bytesOf(block_) : nullptr; }
    const std::uint8_t* data() const { return block_ ? bytesOf(block_) : nullptr; }
    // Null when offset is not inside the length.
    std::uint8_t* at(std::uint32_t offset);
    const std::uint8_t* at(std::uint32_t offset) const;
    std::uint32_t length() const { return block_ ? block_->length : 0; }
    std::uint32_t capacity() const { return block_ ? block_->capacity : 0; }
    bool isShared() const { return next_ || previous_; }
    // Takes the owner's block without linking to it; the owner must outlive
    // this holder's hold on it. A borrowed owner lends its own owner's block.
    void borrow(const CVXLByteBuffer& owner)
    {
        if (!block_ && owner.block_ && !owner.isBorrowed()) {
            block_ = owner.block_;
            next_ = previous_ = const_cast<CVXLByteBuffer*>(&owner);
            return;
        }
        borrowSlowly(owner);
    }
    bool borrows(const CVXLByteBuffer& owner) const { return next_ == &owner && previous_ == &owner; }
    bool sharesWith(const CVXLByteBuffer& other) const { return block_ && block_ == other.block_; }

    bool append(const void* bytes, std::uint32_t count);
    // Lengthens the buffer by count bytes, first giving a sharer a block of
    // its own, and answers where the new bytes start: they are left for the
    // caller to write. Null, with the buffer as it was, for a count of 0 or
    // past kMaxLength, or when the heap refuses.
    std::uint8_t* extend(std::uint32_t count)
    {
        if (block_ && !isShared() && count != 0 && count <= block_->capacity - block_->length) {
            std::uint8_t* end = bytesOf(block_) + block_->length;
            block_->length += count;
            return end;
        }
        return extendSlowly(count);
    }
    // Room for capacity bytes in a block of this holder's own, so appends up
    // to it allocate nothing; the bytes stay.
    bool reserve(std::uint32_t capacity);
    bool appendCString(const char* text);
    // Grows the length when the range passes the end; a gap between the old
    // end and offset reads as zero bytes.
    bool write(std::uint32_t offset, const void* bytes, std::uint32_t count);
    bool fill(std::uint32_t offset, std::uint8_t value, std::uint32_t count);
    // count bytes of source from start to the front of this buffer; a longer
    // buffer keeps its tail. The whole source is shared instead of copied.
    bool copyRange(const CVXLByteBuffer& source, std::uint32_t count, std::uint32_t start);
    // Refused when offset is past the length.
    bool insert(std::uint32_t offset, const void* bytes, std::uint32_t count);
    // count is cut at the end; an offset at or past the end removes nothing.
    bool remove(std::uint32_t offset, std::uint32_t count);
    // Shortens the length to n and keeps the block for later growth (remove
    // shrinks it to fit); a sharer gets a block of its own.
    bool truncate(std::uint32_t n)
    {
        if (block_ && !isShared() && n < block_->length) {
            block_->length = n;
            return true;
        }
        return truncateSlowly(n);
    }

private:
    struct Block {
        std::uint32_t length;
        std::uint32_t capacity;
    };

    static Block* newBlock(std::uint32_t size, std::uint64_t room = 0);
    static std::uint8_t* bytesOf(Block* block)
    {
        return reinterpret_cast<std::uint8_t*>(block) + sizeof(Block);
    }
    std::uint8_t* extendSlowly(std::uint32_t count);
    bool truncateSlowly(std::uint32_t n);
    // A borrower or an empty holder lets go in place; a linked or owning one
    // unlinks or frees.
    void release()
    {
        if (block_ && !isBorrowed())
            releaseBlock();
        block_ = nullptr;
        next_ = previous_ = nullptr;
    }
    void releaseBlock();
    void borrowSlowly(const CVXLByteBuffer& owner);
    void shareFrom(const CVXLByteBuffer& other);
    bool setLength(std::uint32_t n);
    // Gives this holder a block of its own with room for at least room
    // bytes, holding the first n bytes (at most the old length) at length n.
    bool moveToNewBlock(std::uint32_t n, std::uint64_t room);
    void install(Block* block);
    // In a chain next_ and previous_ never match; a borrower points both at its owner.
    bool isBorrowed() const { return next_ && next_ == previous_; }

    Block* block_ = nullptr;
    mutable CVXLByteBuffer* next_ = nullptr;
    mutable CVXLByteBuffer* previous_ = nullptr;
};
