#include "engine/core/base/VXLByteBuffer.h"

#include <functional>

namespace {

// A block made for n bytes keeps this many spare bytes behind them.
constexpr std::uint32_t kSpareBytes = 8;

} // namespace

// Room for at least size bytes, and for room bytes when that is more. The
// bytes are not zero-filled: every byte inside a length is written first.
CVXLByteBuffer::Block* CVXLByteBuffer::newBlock(std::uint32_t size, std::uint64_t room)
{
    if (size > kMaxLength)
        return nullptr;
    const std::uint64_t wanted = room > size ? (room < kMaxLength ? room : kMaxLength) : size;
    const auto capacity = static_cast<std::uint32_t>(wanted) + kSpareBytes;
    auto* block = static_cast<Block*>(vxlAllocUnfilled(capacity + sizeof(Block)));
    if (!block)
        return nullptr;
    block->length = 0;
    block->capacity = capacity;
    return block;
}

CVXLByteBuffer::CVXLByteBuffer(std::uint32_t capacity)
{
    if (capacity > 0)
        block_ = newBlock(capacity);
}

CVXLByteBuffer::CVXLByteBuffer(const CVXLByteBuffer& other)
    : CVXLObject()
{
    if (other.length() > 0)
        shareFrom(other);
}

CVXLByteBuffer::CVXLByteBuffer(const CVXLByteBuffer& source, std::uint32_t start, std::uint32_t count)
{
    const std::uint32_t available = source.length();
    if (start == 0 && count == available) {
        if (available > 0)
            shareFrom(source);
        return;
    }
    if (start >= available)
        return;
    const std::uint32_t n = count < available - start ? count : available - start;
    if (n == 0)
        return;
    Block* block = newBlock(n);
    if (!block)
        return;
    vxlMemMove(bytesOf(block), bytesOf(source.block_) + start, n);
    block->length = n;
    block_ = block;
}

CVXLByteBuffer& CVXLByteBuffer::operator=(const CVXLByteBuffer& other)
{
    if (this == &other)
        return *this;
    release();
    if (other.length() > 0)
        shareFrom(other);
    return *this;
}

void CVXLByteBuffer::clear()
{
    release();
}

std::uint8_t* CVXLByteBuffer::at(std::uint32_t offset)
{
    return offset < length() ? bytesOf(block_) + offset : nullptr;
}

const std::uint8_t* CVXLByteBuffer::at(std::uint32_t offset) const
{
    return offset < length() ? bytesOf(block_) + offset : nullptr;
}

void CVXLByteBuffer::releaseBlock()
{
    if (next_ || previous_) {
        if (next_)
            next_->previous_ = previous_;
        if (previous_)
            previous_->next_ = next_;
    } else {
        vxlFree(block_);
    }
}

void CVXLByteBuffer::shareFrom(const CVXLByteBuffer& source)
{
    // A copy of a borrower links to the owner, so it may outlive the borrower.
    const CVXLByteBuffer& other = source.isBorrowed() ? *source.next_ : source;
    block_ = other.block_;
    previous_ = const_cast<CVXLByteBuffer*>(&other);
    next_ = other.next_;
    if (next_)
        next_->previous_ = this;
    other.next_ = this;
}

void CVXLByteBuffer::borrowSlowly(const CVXLByteBuffer& owner)
{
    const CVXLByteBuffer& lender = owner.isBorrowed() ? *owner.next_ : owner;
    if (borrows(lender))
        return;
    release();
    if (!lender.block_)
        return;
    block_ = lender.block_;
    next_ = const_cast<CVXLByteBuffer*>(&lender);
    previous_ = next_;
}

void CVXLByteBuffer::install(Block* block)
{
    release();
    block_ = block;
}

// Grows the length to n (never shrinks), first giving this holder a block of
// its own that is large enough. The bytes between the old length and n are
// left for the caller to write.
bool CVXLByteBuffer::setLength(std::uint32_t n)
{
    const std::uint32_t old = length();
    if (n <= old)
        return true;
    const bool own = block_ && !isShared();
    if (own && n <= block_->capacity) {
        block_->length = n;
        return true;
    }
    // An own block that overflows doubles, so a run of appends costs linear
    // time in all; a sharer's private copy is made to fit.
    return moveToNewBlock(n, own ? 2ull * block_->capacity : 0);
}

bool CVXLByteBuffer::moveToNewBlock(std::uint32_t n, std::uint64_t room)
{
    const std::uint32_t old = length();
    Block* block = newBlock(n, room);
    if (!block)
        return false;
    if (old > 0)
        vxlMemMove(bytesOf(block), bytesOf(block_), old < n ? old : n);
    block->length = n;
    install(block);
    return true;
}

namespace {

bool pointsInto(const void* p, const std::uint8_t* begin, std::uint32_t size)
{
    if (!begin)
        return false;
    std::less_equal<const void*> le;
    std::less<const void*> lt;
    return le(begin, p) && lt(p, begin + size);
}

} // namespace

bool CVXLByteBuffer::append(const void* bytes, std::uint32_t count)
{
    return insert(length(), bytes, count);
}

bool CVXLByteBuffer::reserve(std::uint32_t capacity)
{
    if (block_ && !isShared() && capacity <= block_->capacity)
        return true;
    return moveToNewBlock(length(), capacity);
}

std::uint8_t* CVXLByteBuffer::extendSlowly(std::uint32_t count)
{
    const std::uint32_t old = length();
    if (count == 0 || count > kMaxLength - old || !setLength(old + count))
        return nullptr;
    return bytesOf(block_) + old;
}

bool CVXLByteBuffer::appendCString(const char* text)
{
    if (!text)
        return false;
    const std::size_t n = vxlStrLen(text);
    if (n > kMaxLength)
        return false;
    return append(text, static_cast<std::uint32_t>(n));
}

bool CVXLByteBuffer::write(std::uint32_t offset, const void* bytes, std::uint32_t count)
{
    if (count == 0)
        return true;
    if (!bytes || offset > kMaxLength || count > kMaxLength - offset)
        return false;
    if (length() < offset + count) {
        if (block_ && pointsInto(bytes, bytesOf(block_), block_->capacity)) {
            // The source would move with a reallocation: copy it out first.
            CVXLByteBuffer copy;
            return copy.append(bytes, count) && write(offset, copy.data(), count);
        }
        const std::uint32_t old = length();
        if (!setLength(offset + count))
            return false;
        if (offset > old)
            vxlMemSet(bytesOf(block_) + old, 0, offset - old);
    }
    vxlMemMove(bytesOf(block_) + offset, bytes, count);
    return true;
}

bool CVXLByteBuffer::fill(std::uint32_t offset, std::uint8_t value, std::uint32_t count)
{
    if (count == 0)
        return true;
    if (offset > kMaxLength || count > kMaxLength - offset)
        return false;
    const std::uint32_t old = length();
    if (old < offset + count && !setLength(offset + count))
        return false;
    if (offset > old)
        vxlMemSet(bytesOf(block_) + old, 0, offset - old);
    vxlMemSet(bytesOf(block_) + offset, value, count);
    return true;
}

bool CVXLByteBuffer::copyRange(const CVXLByteBuffer& source, std::uint32_t count, std::uint32_t start)
{
    const std::uint32_t available = source.length();
    if (start > available)
        return false;
    const std::uint32_t n = count < available - start ? count : available - start;
    if (n == 0)
        return true;
    if (start == 0 && count == available) {
        *this = source;
        return true;
    }
    // The source keeps its block alive while this buffer grows, even when the
    // two share it, so the source pointer stays valid.
    if (length() < n && !setLength(n))
        return false;
    vxlMemMove(bytesOf(block_), bytesOf(source.block_) + start, n);
    return true;
}

bool CVXLByteBuffer::insert(std::uint32_t offset, const void* bytes, std::uint32_t count)
{
    if (count == 0)
        return true;
    const std::uint32_t old = length();
    if (!bytes || offset > old || count > kMaxLength - old)
        return false;
    if (block_ && pointsInto(bytes, bytesOf(block_), block_->capacity)) {
        CVXLByteBuffer copy;
        return copy.append(bytes, count) && insert(offset, copy.data(), count);
    }
    if (!setLength(old + count))
        return false;
    std::uint8_t* base = bytesOf(block_);
    if (offset != old)
        vxlMemMove(base + offset + count, base + offset, old - offset);
    vxlMemMove(base + offset, bytes, count);
    return true;
}

bool CVXLByteBuffer::truncateSlowly(std::uint32_t n)
{
    const std::uint32_t old = length();
    if (n >= old)
        return true;
    if (isShared()) {
        // The length lives in the shared block: the sharers keep theirs.
        CVXLByteBuffer kept(*this, 0, n);
        if (n > 0 && kept.length() != n)
            return false;
        release();
        if (n > 0)
            shareFrom(kept);
        return true;
    }
    block_->length = n;
    return true;
}

bool CVXLByteBuffer::remove(std::uint32_t offset, std::uint32_t count)
{
    const std::uint32_t old = length();
    if (offset > old)
        return false;
    if (count > old - offset)
        count = old - offset;
    if (count == 0)
        return true;
    if (count >= old) {
        clear();
        return true;
    }
    // Every removal shrinks the storage to fit, which also gives a sharer its
    // own block.
    const std::uint32_t remaining = old - count;
    Block* block = newBlock(remaining);
    if (!block)
        return false;
    const std::uint8_t* from = bytesOf(block_);
    vxlMemMove(bytesOf(block), from, offset);
    vxlMemMove(bytesOf(block) + offset, from + offset + count, old - offset - count);
    block->length = remaining;
    install(block);
    return true;
}
