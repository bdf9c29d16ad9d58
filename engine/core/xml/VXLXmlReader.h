#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>
#include <cstring>

// A small streaming XML parser. It is fed bytes, one at a time or in chunks,
// may stop at any byte and resume when more arrives, and reports what it sees
// through the callbacks of its derived class; it builds no tree and keeps only
// the path of open elements.
//
// What the callbacks see:
// - onElement(name, true) as soon as a start tag's name is complete (before
//   its attributes), onElement(name, false) at its end tag or at the "/>" of
//   an empty-element tag;
// - onAttribute(name, value) after each quoted value;
// - onText(text) with an element's character data before its first child
//   element, delivered when that child's start tag or the element's own end
//   tag begins, and only when not empty. Comments, processing instructions
//   and CDATA sections do not split it (CDATA content is part of it);
//   character data after a child element is not reported.
// Entities: the five named ones and numeric references (as UTF-8) are
// decoded in text and attribute values; a decoded "<" is never markup. An
// unknown entity, or an "&" not followed by a short entity name and ";", is
// kept literally. Bytes above 0x7F pass through unchecked; line ends and
// attribute whitespace are delivered as they are.
//
// Input that is not well-formed (an end tag that matches no open element, a
// "<" in an attribute value, a bad name, a control byte, text outside the
// root element, a numeric reference to a byte XML cannot hold, ...) stops the
// reader and calls onMalformed once; finish() also reports a document that
// ends inside markup or with elements open. After a stop every feed is
// ignored until reset().
//
// Hostile input is bounded: a document nested deeper, or with a longer name,
// attribute value or text, or more attributes in one tag than the limits
// below, is refused as malformed and logged; so is one the heap cannot hold.
//
// The strings the callbacks see share the reader's own storage: a callback
// that only looks costs no copy, and one that keeps a string keeps its bytes.
// Callbacks may call stop() or reset(); they must not feed the reader.
class CVXLXmlReader : public CVXLObject {
public:
    // Entity names longer than this are kept literally ("#x10FFFF" fits).
    static constexpr std::uint32_t kMaxEntityLength = 10;
    static constexpr std::uint32_t kMaxDepth = 256;
    // Element, attribute and processing-instruction target names.
    static constexpr std::uint32_t kMaxNameLength = 1024;
    static constexpr std::uint32_t kMaxAttributesPerTag = 256;
    static constexpr std::uint32_t kMaxAttributeValueLength = 1u << 20;
    // An element's text before its first child, after entities are decoded.
    static constexpr std::uint32_t kMaxTextLength = 8u << 20;

    CVXLXmlReader();
    ~CVXLXmlReader() override;

    virtual void reset();
    virtual void onElement(const CVXLString& name, bool start) = 0;
    virtual void onAttribute(const CVXLString& name, const CVXLString& value) = 0;
    virtual void onText(const CVXLString& text) = 0;
    virtual void onMalformed() { }
    // A document type declaration begins; a reader that takes none may
    // stop() here, before any of it is read.
    virtual void onDoctype() { }

    // False once the reader has stopped (malformed input or stop()).
    bool feed(char c);
    // The number of bytes taken; fewer than count only when the reader
    // stopped during the chunk (the byte that stopped it is counted).
    std::uint32_t feed(const void* bytes, std::uint32_t count);
    // End of the document: true when it was complete and well-formed, or when
    // reading was stopped on purpose before the end.
    bool finish();
    void stop();

    bool isStopped() const { return stopped_; }
    bool isMalformed() const { return malformed_; }
    // The name of the innermost open element ("" when none).
    CVXLString currentText() const;
    // The names of the open elements, each preceded by "/" (e.g. /config/screen).
    CVXLString elementPath() const { return path_.toString(0); }
    std::uint32_t depth() const;
    bool hasOpenElements() const { return depth() > 0; }
    // Forgets every open element without reporting its end.
    void popAll();

private:
    // Bytes gathered while reading, always followed by a NUL, so that a
    // callback can be handed them as a string sharing the storage. The
    // storage is kept from one use to the next; when a callback kept a
    // string, the next change gives the gather a block of its own.
    class Gather {
    public:
        Gather(const char* what, std::uint32_t limit)
            : what_(what)
            , limit_(limit)
        {
        }
        void clear()
        {
            if (used_ == 0)
                return;
            used_ = 0;
            // A kept block is left to its keeper rather than copied.
            if (bytes_.isShared())
                bytes_.clear();
            else
                bytes_.truncate(0);
        }
        // False, keeping what it held, past the limit or when the heap refuses.
        bool append(const void* bytes, std::uint32_t count)
        {
            if (count == 0)
                return true;
            if (count > limit_ - used_)
                return false;
            // The bytes go over the NUL, which moves behind them.
            if (!bytes_.extend(used_ > 0 ? count : count + 1))
                return false;
            std::uint8_t* at = bytes_.data() + used_;
            if (count == 1)
                *at = *static_cast<const std::uint8_t*>(bytes);
            else
                std::memcpy(at, bytes, count);
            at[count] = 0;
            used_ += count;
            return true;
        }
        void truncate(std::uint32_t length)
        {
            if (length == 0)
                clear();
            else if (length < used_)
                shorten(length);
        }
        std::uint32_t length() const { return used_; }
        std::uint32_t room() const { return limit_ - used_; }
        std::uint32_t limit() const { return limit_; }
        const char* what() const { return what_; }
        const char* data() const { return used_ > 0 ? reinterpret_cast<const char*>(bytes_.data()) : ""; }
        bool equals(const char* text, std::uint32_t count) const;
        template <std::size_t N> bool equals(const char (&text)[N]) const { return equals(text, N - 1); }
        CVXLString toString(std::uint32_t from) const;
        CVXLString view() const { return CVXLString(bytes_); }

    private:
        void shorten(std::uint32_t length);

        CVXLByteBuffer bytes_;
        std::uint32_t used_ = 0;
        const char* what_;
        std::uint32_t limit_;
    };

    enum State : std::uint8_t {
        kContent, // character data (outside the root: whitespace only)
        kTagOpen, // just after "<"
        kStartName, // reading a start tag's name
        kInTag, // inside a start tag, between attributes
        kAttrName, // reading an attribute name
        kAfterAttrName, // whitespace between an attribute name and "="
        kBeforeValue, // after "=", waiting for a quote
        kAttrValue, // inside a quoted attribute value
        kEmptyTagEnd, // after the "/" of an empty-element tag
        kEndName, // after "</", reading the name
        kAfterEndName, // whitespace after an end tag's name
        kDeclOpen, // after "<!", telling comment, CDATA and DOCTYPE apart
        kComment,
        kCData,
        kDoctype,
        kPiTarget, // after "<?", reading the target name
        kPiBody,
    };

    void step(std::uint8_t c);
    void stepEntity(std::uint8_t c);
    void stepContent(std::uint8_t c);
    void stepTagOpen(std::uint8_t c);
    void stepDecl(std::uint8_t c);
    void stepComment(std::uint8_t c);
    void stepCData(std::uint8_t c);
    void stepDoctype(std::uint8_t c);
    void stepPiTarget(std::uint8_t c);
    void stepPiBody(std::uint8_t c);
    void stepAttrValue(std::uint8_t c);
    std::uint32_t takeContentRun(const std::uint8_t* bytes, std::uint32_t count);
    std::uint32_t takeValueRun(const std::uint8_t* bytes, std::uint32_t count);
    std::uint32_t takeNameRun(Gather& name, const std::uint8_t* bytes, std::uint32_t count);

    bool gather(Gather& to, const void* bytes, std::uint32_t count)
    {
        return to.append(bytes, count) || refuseGather(to, count);
    }
    bool refuseGather(const Gather& to, std::uint32_t count);
    bool gatherChar(Gather& to, std::uint8_t c) { return gather(to, &c, 1); }
    void refuse(const char* format, const char* what, std::uint32_t size);
    void store(const char* bytes, std::uint32_t count)
    {
        if (collecting_)
            gather(text_, bytes, count);
    }
    void storeEntity();
    void storeLiteralEntity();
    bool startTag();
    void openElement();
    void closeElement();
    bool repeatsAttribute() const;
    bool endNameMatches() const;
    void backToContent();
    void deliverText();
    void attributeDone();
    void malformed();
    std::uint32_t topOffset() const;
    void popElement();

    Gather path_ {"element path", kMaxDepth*(kMaxNameLength + 1)};
    Gather name_ {"name", kMaxNameLength};
    Gather attrName_ {"attribute name", kMaxNameLength};
    Gather value_ {"attribute value", kMaxAttributeValueLength};
    Gather text_ {"text", kMaxTextLength};
    Gather entity_ {"entity", kMaxEntityLength};
    // Attribute names of the start tag being read, each followed by a space,
    // to refuse a repeated one.
    Gather tagAttributes_ {"attribute names", kMaxAttributesPerTag*(kMaxNameLength + 1)};
    // Offsets into path_ just after the "/" of each open element.
    Gather stack_ {"element stack", kMaxDepth * sizeof(std::uint32_t)};
    std::uint32_t attributes_ = 0;

    State state_ = kContent;
    State entityState_ = kContent;
    bool inEntity_ = false;
    bool collecting_ = false;
    bool spaceSeen_ = false;
    bool rootSeen_ = false;
    bool rootClosed_ = false;
    bool doctypeSeen_ = false;
    bool atDocumentStart_ = true;
    bool tagAtStart_ = false;
    bool stopped_ = false;
    bool malformed_ = false;
    std::uint8_t quote_ = 0;
    std::uint8_t bomMatched_ = 0;
    std::uint8_t doctypeQuote_ = 0;
    // Consecutive "]" in text or CDATA, "-" in a comment, "?" seen in a PI.
    std::uint32_t marks_ = 0;
    std::uint32_t declLength_ = 0;
    std::uint32_t doctypeDepth_ = 0;
    char decl_[8] = {};
    // Advanced by reset(), so that a step can tell that its callback reset it.
    std::uint32_t generation_ = 0;
};
