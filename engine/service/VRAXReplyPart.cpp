#include "engine/service/VRAXReplyPart.h"

#include "engine/core/base/VXLLog.h"

void CVRAXReplyPart::reset()
{
    state_ = kStart;
    flags_ = 0;
    contentLength_ = 0;
    contentTaken_ = 0;
    contentDone_ = false;
    body_.clear();
    contentType_.clear();
    contentId_.clear();
    scanner_.reset();
    decoder_.reset();
}

std::int32_t CVRAXReplyPart::fail(const char* why)
{
    VXL_LOG_INFO("reply part refused in state %d: %s", static_cast<int>(state_), why);
    return kFramingError;
}

std::int32_t CVRAXReplyPart::step()
{
    using Scanner = CVXLBoundaryScanner;
    for (;;) {
        const Scanner::TokenType token = scanner_.next();
        if (token == Scanner::kTokenNone) {
            if (scanner_.result() == CVXLScanResult::Malformed)
                return fail("bytes that fit no token");
            return kNeedMore;
        }
        switch (state_) {
        case kStart:
            if (token != Scanner::kTokenDelimiter)
                return fail("the part does not open with a delimiter");
            state_ = kHeaders;
            break;
        case kHeaders:
            if (token == Scanner::kTokenHeaderName) {
                const CVXLString name = scanner_.tokenText();
                if (name == "Content-Length:")
                    state_ = kLengthValue;
                else if (name == "Content-Type:")
                    state_ = kTypeValue;
                else if (name == "Content-ID:")
                    state_ = kIdValue;
                else if (name == "Content-Transfer-Encoding:")
                    state_ = kEncodingValue;
                else
                    state_ = kOtherValue;
            } else if (token == Scanner::kTokenEmptyLine) {
                if (isVraxDocument()) {
                    state_ = kDocument;
                } else if (isComplete()) {
                    // The content follows at the front of the buffer.
                    scanner_.consume();
                    return kPartRead;
                } else {
                    return fail("headers end before the part is described");
                }
            } else {
                return fail("no header where one is due");
            }
            break;
        case kTypeValue:
            if (token != Scanner::kTokenWord)
                return fail("content type is no word");
            if (scanner_.tokenText() == "application/X-VRAX") {
                flags_ |= kVraxPartDocument;
            } else {
                contentType_ = scanner_.tokenText();
                flags_ |= kVraxPartOtherType;
            }
            state_ = kHeaders;
            break;
        case kLengthValue:
            if (token != Scanner::kTokenNumber)
                return fail("content length is no number");
            contentLength_ = static_cast<std::uint32_t>(scanner_.tokenText().toInt(10));
            flags_ |= kVraxPartLength;
            state_ = kHeaders;
            break;
        case kIdValue:
            // Item ids are all digits and come as numbers.
            if (token != Scanner::kTokenWord && token != Scanner::kTokenNumber)
                return fail("content id is no word");
            contentId_ = scanner_.tokenText();
            flags_ |= kVraxPartId;
            state_ = kHeaders;
            break;
        case kEncodingValue:
            if (token != Scanner::kTokenWord)
                return fail("encoding is no word");
            if (scanner_.tokenText() == "8bit")
                flags_ |= kVraxPart8bit;
            else if (scanner_.tokenText() == "base64")
                flags_ |= kVraxPartBase64;
            else
                return fail("unknown encoding");
            state_ = kHeaders;
            break;
        case kOtherValue:
            if (token != Scanner::kTokenWord && token != Scanner::kTokenNumber)
                return fail("header value is no word");
            state_ = kHeaders;
            break;
        case kDocument:
            if (token != Scanner::kTokenDocumentEnd)
                return fail("no document in a VRAX part");
            body_ = scanner_.tokenBytes();
            scanner_.consume();
            return kPartRead;
        default:
            return fail("unknown state");
        }
    }
}

std::int32_t CVRAXReplyPart::peekBoundary()
{
    const CVXLBoundaryScanner::TokenType token = scanner_.peek();
    if (token == CVXLBoundaryScanner::kTokenDelimiter)
        return 0;
    if (token == CVXLBoundaryScanner::kTokenNone && scanner_.buffer()
        && scanner_.result() != CVXLScanResult::Malformed)
        return 2;
    return 1;
}

bool CVRAXReplyPart::isComplete() const
{
    if (!hasOtherType())
        return false;
    const bool hasLength = (flags_ & kVraxPartLength) != 0;
    if (flags_ & kVraxPart8bit) {
        if (contentType_ == "application/x-qv-destination-list")
            return hasLength;
        return hasLength && (flags_ & kVraxPartId) != 0;
    }
    if (flags_ & kVraxPartBase64)
        return hasLength;
    return false;
}

CVXLScanResult CVRAXReplyPart::takeContent(CVXLByteBuffer& out)
{
    CVXLByteBuffer* buffer = scanner_.buffer();
    if (contentDone_)
        return CVXLScanResult::Done;
    if (!buffer)
        return CVXLScanResult::NeedMore;
    std::uint32_t count = contentLength_ - contentTaken_;
    if (count > buffer->length())
        count = buffer->length();
    if (isBase64())
        decoder_.feed(buffer->data(), count, out);
    else
        out.append(buffer->data(), count);
    buffer->remove(0, count);
    scanner_.reset();
    contentTaken_ += count;
    if (contentTaken_ < contentLength_)
        return CVXLScanResult::NeedMore;
    if (isBase64())
        decoder_.finish(out);
    contentDone_ = true;
    return CVXLScanResult::Done;
}
