#include "engine/core/base/VXLString.h"

#include <cstring>

namespace {

constexpr int kMinRadix = 2;
constexpr int kMaxRadix = 36;
// 32 binary digits and a sign.
constexpr std::size_t kMaxNumberText = 33;

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

char foldUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::uint32_t magnitudeOf(int value)
{
    // Unsigned negation: well defined for the most negative value too.
    return value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
}

} // namespace

CVXLByteBuffer* CVXLString::sharedEmptyText = nullptr;
std::size_t CVXLString::liveStrings = 0;

CVXLString::CVXLString(const char* text)
{
    ++liveStrings;
    const std::size_t n = text ? vxlStrLen(text) : 0;
    if (n == 0 || n >= CVXLByteBuffer::kMaxLength || !buffer_.append(text, static_cast<std::uint32_t>(n) + 1))
        shareEmpty();
}

CVXLString::CVXLString(const CVXLString& other)
    : CVXLObject()
{
    ++liveStrings;
    if (!other.isSharedEmpty())
        buffer_ = other.buffer_;
    if (!hasBlock())
        shareEmpty();
}

CVXLString::CVXLString(int value, int radix)
{
    ++liveStrings;
    shareEmpty();
    formatNumber(magnitudeOf(value), radix, value < 0);
}

CVXLString::CVXLString(const CVXLByteBuffer& terminated)
{
    ++liveStrings;
    const std::uint32_t n = terminated.length();
    if (n > 0 && *terminated.at(n - 1) == 0)
        buffer_ = terminated;
    else
        shareEmpty();
}

void CVXLString::dropSharedEmptyText()
{
    delete sharedEmptyText;
    sharedEmptyText = nullptr;
}

CVXLString& CVXLString::operator=(const CVXLString& other)
{
    if (this == &other)
        return *this;
    if (other.isSharedEmpty())
        shareEmpty();
    else
        buffer_ = other.buffer_;
    if (!hasBlock())
        shareEmpty();
    onChanged();
    return *this;
}

CVXLString& CVXLString::operator=(const char* text)
{
    // Built aside first: text may point into this string's own block.
    const std::size_t n = text ? vxlStrLen(text) : 0;
    if (n < CVXLByteBuffer::kMaxLength && assignBytes(text, static_cast<std::uint32_t>(n)))
        onChanged();
    return *this;
}

void CVXLString::onChanged()
{
}

void CVXLString::shareEmpty()
{
    if (!sharedEmptyText) {
        auto* text = new CVXLByteBuffer;
        const char nul = 0;
        if (!text || !text->append(&nul, 1)) {
            delete text;
            return;
        }
        sharedEmptyText = text;
    }
    // Borrowed, not linked: the shared text outlives every string.
    buffer_.borrow(*sharedEmptyText);
}

// A string whose block the heap refused gets its NUL back before a change.
bool CVXLString::ensureTerminated()
{
    if (hasBlock())
        return true;
    shareEmpty();
    if (hasBlock())
        return true;
    const char nul = 0;
    return buffer_.append(&nul, 1);
}

bool CVXLString::insertBytes(std::uint32_t position, const void* bytes, std::uint32_t n)
{
    // Into the empty text only position 0 is open: the bytes are the new text.
    if (n != 0 && isSharedEmpty())
        return assignBytes(bytes, n);
    return ensureTerminated() && buffer_.insert(position, bytes, n);
}

bool CVXLString::assign(const void* bytes, std::uint32_t n)
{
    if (n != 0 || buffer_.isShared() || buffer_.length() == 0) {
        if (!assignBytes(bytes, n))
            return false;
    } else {
        buffer_.truncate(1);
        buffer_.data()[0] = 0;
    }
    onChanged();
    return true;
}

bool CVXLString::assignBytes(const void* bytes, std::uint32_t n)
{
    if (n == 0) {
        shareEmpty();
        return true;
    }
    if (n >= CVXLByteBuffer::kMaxLength)
        return false;
    if (!buffer_.isShared() && buffer_.data() && buffer_.capacity() > n) {
        // A block of this string's own with room is written over: the bytes
        // may lie in it, so they move rather than copy.
        buffer_.truncate(0);
        std::uint8_t* text = buffer_.extend(n + 1);
        std::memmove(text, bytes, n);
        text[n] = 0;
        return true;
    }
    if (isSharedEmpty()) {
        // Nothing to keep and the bytes lie elsewhere: built in place, and
        // back to the empty text when the heap refuses.
        buffer_.clear();
        std::uint8_t* text = buffer_.extend(n + 1);
        if (!text) {
            shareEmpty();
            return false;
        }
        vxlMemCopy(text, bytes, n);
        text[n] = 0;
        return true;
    }
    CVXLByteBuffer text;
    const char nul = 0;
    if (!text.append(bytes, n) || !text.append(&nul, 1))
        return false;
    buffer_ = text;
    return true;
}

void CVXLString::formatNumber(std::uint32_t magnitude, int radix, bool negative)
{
    if (radix < kMinRadix || radix > kMaxRadix)
        return;
    char digits[kMaxNumberText];
    std::size_t at = sizeof digits;
    do {
        const std::uint32_t digit = magnitude % static_cast<std::uint32_t>(radix);
        digits[--at] = static_cast<char>(digit < 10 ? '0' + digit : digit + 55);
        magnitude /= static_cast<std::uint32_t>(radix);
    } while (magnitude != 0);
    if (negative && radix == 10)
        digits[--at] = '-';
    insertBytes(length(), digits + at, static_cast<std::uint32_t>(sizeof digits - at));
}

void CVXLString::setInt(int value)
{
    shareEmpty();
    formatNumber(magnitudeOf(value), 10, value < 0);
    onChanged();
}

void CVXLString::setUnsigned(std::uint32_t value)
{
    shareEmpty();
    formatNumber(value, 10, false);
    onChanged();
}

const char* CVXLString::charAt(int index) const
{
    if (index < 0)
        return nullptr;
    return reinterpret_cast<const char*>(buffer_.at(static_cast<std::uint32_t>(index)));
}

void CVXLString::clear()
{
    shareEmpty();
    onChanged();
}

void CVXLString::append(const CVXLString& other)
{
    insertBytes(length(), other.c_str(), other.length());
    onChanged();
}

CVXLString& CVXLString::operator+=(const CVXLString& other)
{
    append(other);
    return *this;
}

void CVXLString::appendCString(const char* text)
{
    if (!text)
        return;
    const std::size_t n = vxlStrLen(text);
    if (n < CVXLByteBuffer::kMaxLength)
        insertBytes(length(), text, static_cast<std::uint32_t>(n));
    onChanged();
}

CVXLString& CVXLString::operator+=(const char* text)
{
    appendCString(text);
    return *this;
}

void CVXLString::appendChar(char c)
{
    if (c == 0)
        return;
    insertBytes(length(), &c, 1);
    onChanged();
}

CVXLString& CVXLString::operator+=(char c)
{
    appendChar(c);
    return *this;
}

void CVXLString::appendBytes(const void* bytes, std::uint32_t n)
{
    if (!bytes)
        return;
    insertBytes(length(), bytes, n);
    onChanged();
}

void CVXLString::insert(int position, const CVXLString& other)
{
    if (position < 0 || static_cast<std::uint32_t>(position) > length())
        return;
    if (other.length() == 0)
        return;
    insertBytes(static_cast<std::uint32_t>(position), other.c_str(), other.length());
    onChanged();
}

void CVXLString::remove(int position, std::uint32_t count)
{
    const std::uint32_t n = length();
    if (position < 0 || static_cast<std::uint32_t>(position) > n || count == 0)
        return;
    const std::uint32_t at = static_cast<std::uint32_t>(position);
    // Never the terminating NUL.
    buffer_.remove(at, count < n - at ? count : n - at);
    onChanged();
}

void CVXLString::changeCase(bool upper)
{
    const char from = upper ? 'a' : 'A';
    const char to = upper ? 'A' : 'a';
    const std::uint32_t n = length();
    const char* text = c_str();
    std::uint32_t first = 0;
    while (first < n && !(text[first] >= from && text[first] <= from + 25))
        ++first;
    if (first < n) {
        // Rewritten in a block of our own: a sharer must not see the change.
        CVXLByteBuffer folded;
        if (folded.append(text, n + 1)) {
            auto* bytes = reinterpret_cast<char*>(folded.data());
            for (std::uint32_t i = first; i < n; ++i) {
                if (bytes[i] >= from && bytes[i] <= from + 25)
                    bytes[i] = static_cast<char>(bytes[i] - from + to);
            }
            buffer_ = folded;
        }
    }
    onChanged();
}

void CVXLString::toLower()
{
    changeCase(false);
}

void CVXLString::appendNumber(std::uint32_t magnitude, int radix, bool negative)
{
    formatNumber(magnitude, radix, negative);
    onChanged();
}

void CVXLString::toBase64()
{
    CVXLByteBuffer encoded;
    if (vxlBase64Encode(c_str(), length(), encoded))
        assignBytes(encoded.data(), encoded.length());
    onChanged();
}

CVXLString CVXLString::substr(int start, std::uint32_t count) const
{
    CVXLString result;
    const std::uint32_t n = length();
    if (start < 0 || static_cast<std::uint32_t>(start) >= n)
        return result;
    const std::uint32_t from = static_cast<std::uint32_t>(start);
    const std::uint32_t take = count < n - from ? count : n - from;
    const char* text = c_str() + from;
    CVXLByteBuffer kept(take + 1);
    for (std::uint32_t i = 0; i < take; ++i) {
        if (text[i] != 0)
            kept.append(text + i, 1);
    }
    result.assignBytes(kept.data(), kept.length());
    return result;
}

CVXLString CVXLString::substrUntil(char delimiter, int start) const
{
    CVXLString result;
    const std::uint32_t n = length();
    if (start < 0 || static_cast<std::uint32_t>(start) >= n)
        return result;
    const std::uint32_t from = static_cast<std::uint32_t>(start);
    const char* text = c_str();
    std::uint32_t end = from;
    while (end < n && text[end] != delimiter)
        ++end;
    result.assignBytes(text + from, end - from);
    return result;
}

CVXLString CVXLString::replaced(
    const CVXLString& source, int position, std::uint32_t count, const CVXLString& replacement)
{
    CVXLString result(source);
    const std::uint32_t n = source.length();
    if (count == 0 || position < 0 || static_cast<std::uint32_t>(position) > n)
        return result;
    result.remove(position, count);
    result.insert(position, replacement);
    return result;
}

int CVXLString::find(const CVXLString& pattern, int start) const
{
    const std::uint32_t n = length();
    const std::uint32_t m = pattern.length();
    if (start < 0 || static_cast<std::uint32_t>(start) >= n || m == 0
        || m > n - static_cast<std::uint32_t>(start))
        return -1;
    const char* text = c_str();
    const char* wanted = pattern.c_str();
    for (std::uint32_t i = static_cast<std::uint32_t>(start); i <= n - m; ++i) {
        std::uint32_t k = 0;
        while (k < m && text[i + k] == wanted[k])
            ++k;
        if (k == m)
            return static_cast<int>(i);
    }
    return -1;
}

int CVXLString::findChar(char c, int start) const
{
    const std::uint32_t n = length();
    if (start < 0)
        return -1;
    const char* text = c_str();
    for (std::uint32_t i = static_cast<std::uint32_t>(start); i < n; ++i) {
        if (text[i] == c)
            return static_cast<int>(i);
    }
    return -1;
}

int CVXLString::compare(const CVXLString& other, bool caseSensitive) const
{
    const std::uint32_t n = length();
    const std::uint32_t m = other.length();
    const std::uint32_t longer = n > m ? n : m;
    const char* a = c_str();
    const char* b = other.c_str();
    // Up to the first NUL of either text, as == reads them, never past either buffer.
    for (std::uint32_t i = 0; i <= longer; ++i) {
        auto x = static_cast<signed char>(i < n ? a[i] : 0);
        auto y = static_cast<signed char>(i < m ? b[i] : 0);
        if (!caseSensitive) {
            x = static_cast<signed char>(foldUpper(static_cast<char>(x)));
            y = static_cast<signed char>(foldUpper(static_cast<char>(y)));
        }
        if (x != y)
            return x > y ? 1 : -1;
        if (x == 0)
            break;
    }
    return 0;
}

int CVXLString::toInt(int radix) const
{
    if (radix == 10)
        return vxlAtoi(c_str());
    if (radix != 16)
        return 0;
    std::uint32_t value = 0;
    const char* text = c_str();
    for (std::uint32_t i = 0, n = length(); i < n; ++i) {
        const char c = text[i];
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        value = value * 16 + digit;
    }
    return static_cast<int>(value);
}

bool CVXLString::isNumeric() const
{
    const char* text = c_str();
    for (std::uint32_t i = 0, n = length(); i < n; ++i) {
        if (!((text[i] >= '0' && text[i] <= '9') || text[i] == '-'))
            return false;
    }
    return true;
}

std::size_t CVXLString::liveCount()
{
    return liveStrings;
}

bool CVXLString::hasSharedEmptyText()
{
    return sharedEmptyText != nullptr;
}

bool operator==(const CVXLString& a, const CVXLString& b)
{
    if (!a.hasBlock() || !b.hasBlock())
        return a.hasBlock() == b.hasBlock();
    return vxlStrNCmp(a.c_str(), b.c_str(), static_cast<std::size_t>(-1)) == 0;
}

bool operator==(const CVXLString& a, const char* b)
{
    if (!a.hasBlock() || !b)
        return !a.hasBlock() && !b;
    return vxlStrNCmp(a.c_str(), b, static_cast<std::size_t>(-1)) == 0;
}

bool operator==(const char* a, const CVXLString& b)
{
    return b == a;
}

bool operator!=(const CVXLString& a, const CVXLString& b)
{
    return !(a == b);
}
bool operator!=(const CVXLString& a, const char* b)
{
    return !(a == b);
}
bool operator!=(const char* a, const CVXLString& b)
{
    return !(b == a);
}
bool operator<(const CVXLString& a, const CVXLString& b)
{
    return a.compare(b, true) < 0;
}
bool operator>(const CVXLString& a, const CVXLString& b)
{
    return a.compare(b, true) > 0;
}
bool operator<=(const CVXLString& a, const CVXLString& b)
{
    return a.compare(b, true) <= 0;
}
bool operator>=(const CVXLString& a, const CVXLString& b)
{
    return a.compare(b, true) >= 0;
}

CVXLString operator+(const CVXLString& a, const CVXLString& b)
{
    CVXLString result(a);
    result.append(b);
    return result;
}

CVXLString operator+(const CVXLString& a, const char* b)
{
    CVXLString result(a);
    result.appendCString(b);
    return result;
}

CVXLString operator+(const char* a, const CVXLString& b)
{
    CVXLString result(a);
    result.append(b);
    return result;
}

bool vxlBase64Encode(const void* bytes, std::uint32_t length, CVXLByteBuffer& out)
{
    if (length == 0)
        return true;
    if (!bytes)
        return false;
    const std::uint64_t encodedLength = (static_cast<std::uint64_t>(length) + 2) / 3 * 4;
    if (encodedLength > CVXLByteBuffer::kMaxLength - out.length())
        return false;
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    CVXLByteBuffer encoded(static_cast<std::uint32_t>(encodedLength));
    char group[4];
    for (std::uint32_t i = 0; i < length; i += 3) {
        const std::uint32_t left = length - i;
        const std::uint8_t b0 = in[i];
        const std::uint8_t b1 = left > 1 ? in[i + 1] : 0;
        const std::uint8_t b2 = left > 2 ? in[i + 2] : 0;
        group[0] = kBase64Alphabet[b0 >> 2];
        group[1] = kBase64Alphabet[((b0 & 3) << 4) | (b1 >> 4)];
        group[2] = left > 1 ? kBase64Alphabet[((b1 & 15) << 2) | (b2 >> 6)] : '=';
        group[3] = left > 2 ? kBase64Alphabet[b2 & 63] : '=';
        if (!encoded.append(group, sizeof group))
            return false;
    }
    if (out.length() == 0) {
        out = encoded;
        return true;
    }
    return out.append(encoded.data(), encoded.length());
}
