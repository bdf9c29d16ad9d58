#include "engine/core/xml/VXLXmlReader.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/xml/VXLXmlChars.h"

namespace {

constexpr std::uint8_t kBom[3] = {0xEF, 0xBB, 0xBF};

// Names are short: a plain loop beats a library call.
bool sameBytes(const char* a, const char* b, std::uint32_t n)
{
    for (std::uint32_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

} // namespace

// To a length above 0; the NUL moves to the new end.
void CVXLXmlReader::Gather::shorten(std::uint32_t length)
{
    used_ = length;
    if (bytes_.truncate(length + 1))
        bytes_.data()[length] = 0;
}

bool CVXLXmlReader::Gather::equals(const char* text, std::uint32_t count) const
{
    return count == used_ && sameBytes(data(), text, count);
}

CVXLString CVXLXmlReader::Gather::toString(std::uint32_t from) const
{
    CVXLString s;
    if (from < used_)
        s.appendBytes(data() + from, used_ - from);
    return s;
}

CVXLXmlReader::CVXLXmlReader()
{
    reset();
}

CVXLXmlReader::~CVXLXmlReader() = default;

void CVXLXmlReader::reset()
{
    ++generation_;
    path_.clear();
    name_.clear();
    attrName_.clear();
    value_.clear();
    text_.clear();
    entity_.clear();
    tagAttributes_.clear();
    stack_.clear();
    state_ = kContent;
    entityState_ = kContent;
    inEntity_ = false;
    collecting_ = false;
    spaceSeen_ = false;
    rootSeen_ = false;
    rootClosed_ = false;
    doctypeSeen_ = false;
    atDocumentStart_ = true;
    tagAtStart_ = false;
    stopped_ = false;
    malformed_ = false;
    quote_ = 0;
    bomMatched_ = 0;
    doctypeQuote_ = 0;
    marks_ = 0;
    declLength_ = 0;
    doctypeDepth_ = 0;
}

bool CVXLXmlReader::feed(char c)
{
    if (!stopped_)
        step(static_cast<std::uint8_t>(c));
    return !stopped_;
}

std::uint32_t CVXLXmlReader::feed(const void* bytes, std::uint32_t count)
{
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    std::uint32_t at = 0;
    while (at < count && !stopped_) {
        std::uint32_t run = 0;
        if (!inEntity_) {
            if (state_ == kContent)
                run = takeContentRun(p + at, count - at);
            else if (state_ == kAttrValue)
                run = takeValueRun(p + at, count - at);
            else if (state_ == kStartName || state_ == kAttrName
                || (state_ == kEndName && name_.length() > 0))
                run = takeNameRun(state_ == kAttrName ? attrName_ : name_, p + at, count - at);
        }
        if (run > 0) {
            at += run;
            continue;
        }
        step(p[at++]);
    }
    return at;
}

// Plain character data inside an element, taken in one piece; the bytes that
// need a decision of their own are left to step().
std::uint32_t CVXLXmlReader::takeContentRun(const std::uint8_t* bytes, std::uint32_t count)
{
    if (path_.length() == 0)
        return 0;
    std::uint32_t n = 0;
    while (n < count) {
        if (CVXLXmlChars::isContentStop(bytes[n]))
            break;
        ++n;
    }
    if (n > 0) {
        marks_ = 0;
        store(reinterpret_cast<const char*>(bytes), n);
    }
    return n;
}

std::uint32_t CVXLXmlReader::takeNameRun(Gather& name, const std::uint8_t* bytes, std::uint32_t count)
{
    std::uint32_t n = 0;
    while (n < count && CVXLXmlChars::isNameChar(bytes[n]))
        ++n;
    gather(name, bytes, n);
    return n;
}

std::uint32_t CVXLXmlReader::takeValueRun(const std::uint8_t* bytes, std::uint32_t count)
{
    std::uint32_t n = 0;
    while (n < count) {
        const std::uint8_t c = bytes[n];
        if (c == quote_ || c == '&' || c == '<' || CVXLXmlChars::isControl(c))
            break;
        ++n;
    }
    gather(value_, bytes, n);
    return n;
}

void CVXLXmlReader::step(std::uint8_t c)
{
    if (inEntity_) {
        stepEntity(c);
        return;
    }
    // A byte-order mark may open the document; it is not a byte of it.
    if (atDocumentStart_ && bomMatched_ < sizeof kBom && state_ == kContent && path_.length() == 0
        && (bomMatched_ > 0 || c == kBom[0])) {
        if (c != kBom[bomMatched_]) {
            malformed();
            return;
        }
        ++bomMatched_;
        return;
    }
    if (state_ == kContent)
        tagAtStart_ = atDocumentStart_;
    atDocumentStart_ = false;

    switch (state_) {
    case kContent:
        stepContent(c);
        break;
    case kTagOpen:
        stepTagOpen(c);
        break;
    case kStartName:
        if (CVXLXmlChars::isNameChar(c)) {
            gatherChar(name_, c);
        } else if (CVXLXmlChars::isSpace(c)) {
            state_ = kInTag;
            spaceSeen_ = true;
            openElement();
        } else if (c == '>') {
            state_ = kContent;
            collecting_ = true;
            openElement();
        } else if (c == '/') {
            state_ = kEmptyTagEnd;
            openElement();
        } else {
            malformed();
        }
        break;
    case kInTag:
        if (CVXLXmlChars::isSpace(c)) {
            spaceSeen_ = true;
        } else if (c == '>') {
            state_ = kContent;
            collecting_ = true;
        } else if (c == '/') {
            state_ = kEmptyTagEnd;
        } else if (CVXLXmlChars::isNameStart(c) && spaceSeen_) {
            attrName_.clear();
            gatherChar(attrName_, c);
            state_ = kAttrName;
        } else {
            malformed();
        }
        break;
    case kAttrName:
        if (CVXLXmlChars::isNameChar(c))
            gatherChar(attrName_, c);
        else if (CVXLXmlChars::isSpace(c))
            state_ = kAfterAttrName;
        else if (c == '=')
            state_ = kBeforeValue;
        else
            malformed();
        break;
    case kAfterAttrName:
        if (c == '=')
            state_ = kBeforeValue;
        else if (!CVXLXmlChars::isSpace(c))
            malformed();
        break;
    case kBeforeValue:
        if (c == '"' || c == '\'') {
            quote_ = c;
            value_.clear();
            state_ = kAttrValue;
        } else if (!CVXLXmlChars::isSpace(c)) {
            malformed();
        }
        break;
    case kAttrValue:
        stepAttrValue(c);
        break;
    case kEmptyTagEnd:
        if (c == '>')
            closeElement();
        else
            malformed();
        break;
    case kEndName:
        if (name_.length() == 0 ? CVXLXmlChars::isNameStart(c) : CVXLXmlChars::isNameChar(c)) {
            gatherChar(name_, c);
        } else if (name_.length() > 0 && CVXLXmlChars::isSpace(c)) {
            state_ = kAfterEndName;
        } else if (name_.length() > 0 && c == '>') {
            if (endNameMatches())
                closeElement();
            else
                malformed();
        } else {
            malformed();
        }
        break;
    case kAfterEndName:
        if (c == '>') {
            if (endNameMatches())
                closeElement();
            else
                malformed();
        } else if (!CVXLXmlChars::isSpace(c)) {
            malformed();
        }
        break;
    case kDeclOpen:
        stepDecl(c);
        break;
    case kComment:
        stepComment(c);
        break;
    case kCData:
        stepCData(c);
        break;
    case kDoctype:
        stepDoctype(c);
        break;
    case kPiTarget:
        stepPiTarget(c);
        break;
    case kPiBody:
        stepPiBody(c);
        break;
    }
}

void CVXLXmlReader::stepContent(std::uint8_t c)
{
    const bool inRoot = path_.length() > 0;
    if (c == '<') {
        marks_ = 0;
        state_ = kTagOpen;
    } else if (CVXLXmlChars::isControl(c) || (!inRoot && !CVXLXmlChars::isSpace(c))
        || (c == '>' && marks_ >= 2)) {
        // "]]>" may not appear in text.
        malformed();
    } else if (c == '&') {
        marks_ = 0;
        entityState_ = kContent;
        entity_.clear();
        inEntity_ = true;
    } else if (inRoot) {
        marks_ = c == ']' ? marks_ + 1 : 0;
        const char ch = static_cast<char>(c);
        store(&ch, 1);
    }
}

void CVXLXmlReader::stepAttrValue(std::uint8_t c)
{
    if (c == quote_) {
        attributeDone();
    } else if (c == '&') {
        entityState_ = kAttrValue;
        entity_.clear();
        inEntity_ = true;
    } else if (c == '<' || CVXLXmlChars::isControl(c)) {
        malformed();
    } else {
        gatherChar(value_, c);
    }
}

void CVXLXmlReader::stepEntity(std::uint8_t c)
{
    if (c == ';') {
        inEntity_ = false;
        storeEntity();
    } else if (CVXLXmlChars::isEntityChar(c) && entity_.length() < kMaxEntityLength) {
        gatherChar(entity_, c);
    } else {
        // Not an entity after all: the "&" and what followed it are text, and
        // this byte is read as if no "&" had come.
        inEntity_ = false;
        storeLiteralEntity();
        if (!stopped_)
            step(c);
    }
}

void CVXLXmlReader::storeEntity()
{
    const char* name = entity_.data();
    const std::uint32_t n = entity_.length();
    char value[4];
    std::uint32_t length = 1;
    if (entity_.equals("amp")) {
        value[0] = '&';
    } else if (entity_.equals("lt")) {
        value[0] = '<';
    } else if (entity_.equals("gt")) {
        value[0] = '>';
    } else if (entity_.equals("quot")) {
        value[0] = '"';
    } else if (entity_.equals("apos")) {
        value[0] = '\'';
    } else {
        const long cp = CVXLXmlChars::numericReference(name, n);
        if (cp < 0) {
            storeLiteralEntity();
            if (!stopped_) {
                const char semicolon = ';';
                if (entityState_ == kAttrValue)
                    gatherChar(value_, semicolon);
                else
                    store(&semicolon, 1);
            }
            return;
        }
        if (!CVXLXmlChars::isXmlChar(static_cast<std::uint32_t>(cp))) {
            malformed();
            return;
        }
        length = CVXLXmlChars::encodeUtf8(static_cast<std::uint32_t>(cp), value);
    }
    if (entityState_ == kAttrValue)
        gather(value_, value, length);
    else
        store(value, length);
}

void CVXLXmlReader::storeLiteralEntity()
{
    if (entityState_ == kAttrValue) {
        gatherChar(value_, '&');
        gather(value_, entity_.data(), entity_.length());
        return;
    }
    store("&", 1);
    store(entity_.data(), entity_.length());
}

bool CVXLXmlReader::refuseGather(const Gather& to, std::uint32_t count)
{
    if (count > to.room())
        refuse("XML reader: %s longer than %u bytes, document refused", to.what(), to.limit());
    else
        refuse(
            "XML reader: no memory for a %s of %u bytes, document refused", to.what(), to.length() + count);
    return false;
}

void CVXLXmlReader::refuse(const char* format, const char* what, std::uint32_t size)
{
    if (stopped_)
        return;
    VXL_LOG_FAILURE(format, what, size);
    malformed();
}

void CVXLXmlReader::stepTagOpen(std::uint8_t c)
{
    if (c == '/') {
        if (path_.length() == 0) {
            malformed();
            return;
        }
        name_.clear();
        state_ = kEndName;
        deliverText();
    } else if (c == '!') {
        declLength_ = 0;
        state_ = kDeclOpen;
    } else if (c == '?') {
        name_.clear();
        state_ = kPiTarget;
    } else if (CVXLXmlChars::isNameStart(c)) {
        if (rootClosed_) {
            malformed();
            return;
        }
        name_.clear();
        gatherChar(name_, c);
        state_ = kStartName;
        deliverText();
    } else {
        malformed();
    }
}

void CVXLXmlReader::stepDecl(std::uint8_t c)
{
    static const char* const kOpeners[] = {"--", "[CDATA[", "DOCTYPE"};
    decl_[declLength_++] = static_cast<char>(c);
    for (const char* opener : kOpeners) {
        if (vxlStrNCmp(decl_, opener, declLength_) != 0)
            continue;
        if (opener[declLength_] != 0)
            return; // still a prefix of this opener
        marks_ = 0;
        if (opener[0] == '-') {
            state_ = kComment;
        } else if (opener[0] == '[') {
            if (path_.length() == 0)
                malformed();
            else
                state_ = kCData;
        } else {
            if (rootSeen_ || doctypeSeen_) {
                malformed();
                return;
            }
            doctypeSeen_ = true;
            doctypeDepth_ = 0;
            doctypeQuote_ = 0;
            state_ = kDoctype;
            onDoctype();
        }
        return;
    }
    malformed();
}

void CVXLXmlReader::stepComment(std::uint8_t c)
{
    if (marks_ >= 2) {
        // "--" may only end a comment.
        if (c == '>')
            backToContent();
        else
            malformed();
    } else if (c == '-') {
        ++marks_;
    } else if (CVXLXmlChars::isControl(c)) {
        malformed();
    } else {
        marks_ = 0;
    }
}

void CVXLXmlReader::stepCData(std::uint8_t c)
{
    if (c == ']') {
        ++marks_;
        return;
    }
    if (CVXLXmlChars::isControl(c)) {
        malformed();
        return;
    }
    const bool ends = c == '>' && marks_ >= 2;
    for (std::uint32_t held = ends ? marks_ - 2 : marks_; held > 0; --held)
        store("]", 1);
    marks_ = 0;
    if (ends) {
        backToContent();
        return;
    }
    const char ch = static_cast<char>(c);
    store(&ch, 1);
}

void CVXLXmlReader::stepDoctype(std::uint8_t c)
{
    if (CVXLXmlChars::isControl(c)) {
        malformed();
    } else if (doctypeQuote_ != 0) {
        if (c == doctypeQuote_)
            doctypeQuote_ = 0;
    } else if (c == '"' || c == '\'') {
        doctypeQuote_ = c;
    } else if (c == '[') {
        ++doctypeDepth_;
    } else if (c == ']') {
        if (doctypeDepth_ == 0)
            malformed();
        else
            --doctypeDepth_;
    } else if (c == '>' && doctypeDepth_ == 0) {
        backToContent();
    }
}

void CVXLXmlReader::stepPiTarget(std::uint8_t c)
{
    if (name_.length() == 0 ? CVXLXmlChars::isNameStart(c) : CVXLXmlChars::isNameChar(c)) {
        gatherChar(name_, c);
        return;
    }
    if (name_.length() == 0 || !(CVXLXmlChars::isSpace(c) || c == '?')) {
        malformed();
        return;
    }
    // The target "xml" is reserved for the declaration at the very start.
    const char* target = name_.data();
    const bool reserved = name_.length() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm'
        && (target[2] | 0x20) == 'l';
    if (reserved && !(tagAtStart_ && name_.equals("xml"))) {
        malformed();
        return;
    }
    marks_ = c == '?' ? 1 : 0;
    state_ = kPiBody;
}

void CVXLXmlReader::stepPiBody(std::uint8_t c)
{
    if (c == '>' && marks_ == 1) {
        backToContent();
    } else if (CVXLXmlChars::isControl(c)) {
        malformed();
    } else {
        marks_ = c == '?' ? 1 : 0;
    }
}

void CVXLXmlReader::backToContent()
{
    state_ = kContent;
    marks_ = 0;
}

void CVXLXmlReader::deliverText()
{
    collecting_ = false;
    if (text_.length() == 0)
        return;
    onText(text_.view());
    text_.clear();
}

void CVXLXmlReader::openElement()
{
    rootSeen_ = true;
    tagAttributes_.clear();
    attributes_ = 0;
    if (depth() >= kMaxDepth) {
        refuse("XML reader: %s deeper than %u elements, document refused", "document", kMaxDepth);
        return;
    }
    const std::uint32_t offset = path_.length() + 1;
    if (!gatherChar(path_, '/') || !gather(path_, name_.data(), name_.length())
        || !gather(stack_, &offset, sizeof offset))
        return;
    onElement(name_.view(), true);
}

void CVXLXmlReader::attributeDone()
{
    state_ = kInTag;
    spaceSeen_ = false;
    if (repeatsAttribute()) {
        malformed();
        return;
    }
    if (++attributes_ > kMaxAttributesPerTag) {
        refuse("XML reader: %s with more than %u attributes, document refused", "tag", kMaxAttributesPerTag);
        return;
    }
    if (!gather(tagAttributes_, attrName_.data(), attrName_.length()) || !gatherChar(tagAttributes_, ' '))
        return;
    const std::uint32_t generation = generation_;
    onAttribute(attrName_.view(), value_.view());
    if (generation != generation_)
        return;
    attrName_.clear();
    value_.clear();
}

void CVXLXmlReader::closeElement()
{
    state_ = kContent;
    collecting_ = false;
    marks_ = 0;
    const std::uint32_t generation = generation_;
    // The end tag's name, when it is the open element's, is shared rather
    // than copied from the path.
    onElement(endNameMatches() ? name_.view() : currentText(), false);
    if (generation != generation_)
        return;
    popElement();
    if (path_.length() == 0)
        rootClosed_ = true;
}

bool CVXLXmlReader::repeatsAttribute() const
{
    const char* names = tagAttributes_.data();
    const std::uint32_t n = attrName_.length();
    for (std::uint32_t at = 0; at < tagAttributes_.length();) {
        std::uint32_t end = at;
        while (names[end] != ' ')
            ++end;
        if (end - at == n && sameBytes(names + at, attrName_.data(), n))
            return true;
        at = end + 1;
    }
    return false;
}

bool CVXLXmlReader::endNameMatches() const
{
    const std::uint32_t top = topOffset();
    const std::uint32_t n = path_.length() - top;
    return n == name_.length() && sameBytes(path_.data() + top, name_.data(), n);
}

void CVXLXmlReader::malformed()
{
    if (malformed_)
        return;
    malformed_ = true;
    stopped_ = true;
    onMalformed();
}

bool CVXLXmlReader::finish()
{
    if (stopped_)
        return !malformed_;
    if (inEntity_ || state_ != kContent || path_.length() > 0 || !rootSeen_)
        malformed();
    return !malformed_;
}

void CVXLXmlReader::stop()
{
    stopped_ = true;
}

std::uint32_t CVXLXmlReader::depth() const
{
    return stack_.length() / sizeof(std::uint32_t);
}

std::uint32_t CVXLXmlReader::topOffset() const
{
    const std::uint32_t n = depth();
    if (n == 0)
        return path_.length();
    std::uint32_t offset = 0;
    std::memcpy(&offset, stack_.data() + (n - 1) * sizeof offset, sizeof offset);
    return offset;
}

CVXLString CVXLXmlReader::currentText() const
{
    if (depth() == 0)
        return CVXLString();
    return path_.toString(topOffset());
}

void CVXLXmlReader::popElement()
{
    const std::uint32_t n = depth();
    if (n == 0)
        return;
    const std::uint32_t top = topOffset();
    path_.truncate(top > 0 ? top - 1 : 0);
    stack_.truncate((n - 1) * sizeof(std::uint32_t));
}

void CVXLXmlReader::popAll()
{
    while (depth() > 0)
        popElement();
}
