#include "engine/service/VRAXMultipartWriter.h"

void CVRAXMultipartWriter::setAttachment(
    const CVXLString& contentType, std::int32_t encoding, std::uint32_t length)
{
    attachmentType_ = contentType;
    attachmentEncoding_ = encoding;
    attachmentLength_ = length;
    hasAttachment_ = 1;
}

void CVRAXMultipartWriter::reset()
{
    document_.clear();
    attachmentType_.clear();
    attachmentEncoding_ = kEncodingNone;
    attachmentLength_ = 0;
    hasAttachment_ = 0;
}

CVXLString CVRAXMultipartWriter::partHeader() const
{
    // With an attachment the CR LF after the document belongs to the first
    // part, and its length says so.
    CVXLString length;
    length.setUnsigned(document_.length() + (hasAttachment_ ? 2 : 0));
    return CVXLString("--Veltmarsh\r\nContent-Length: ") + length
        + "\r\nContent-Type: application/X-VRAX\r\n\r\n";
}

CVXLString CVRAXMultipartWriter::attachmentHeader() const
{
    if (!hasAttachment_)
        return CVXLString();
    CVXLString length;
    length.setUnsigned(attachmentLength_);
    CVXLString text = CVXLString("\r\n\r\n--Veltmarsh\r\nContent-Length: ") + length;
    if (attachmentLength_ != 0) {
        text += "\r\n";
        if (attachmentType_.length() != 0)
            text += CVXLString("Content-Type: ") + attachmentType_ + "\r\n";
        text += "Content-Transfer-Encoding: ";
        if (attachmentEncoding_ == kEncoding8bit)
            text += "8bit";
        else if (attachmentEncoding_ == kEncodingBase64)
            text += "base64";
    }
    text += "\r\n\r\n";
    return text;
}

CVXLString CVRAXMultipartWriter::trailer() const
{
    return "\r\n--Veltmarsh--\r\n\r\n";
}

std::uint32_t CVRAXMultipartWriter::totalLength() const
{
    return partHeader().length() + document_.length() + attachmentHeader().length()
        + (hasAttachment_ ? attachmentLength_ : 0) + trailer().length();
}

CVXLByteBuffer CVRAXMultipartWriter::head() const
{
    const CVXLString header = partHeader();
    const CVXLString after = hasAttachment_ ? attachmentHeader() : trailer();
    CVXLByteBuffer out(header.length() + document_.length() + after.length());
    out.append(header.c_str(), header.length());
    out.append(document_.data(), document_.length());
    out.append(after.c_str(), after.length());
    return out;
}

CVXLByteBuffer CVRAXMultipartWriter::trailerBytes() const
{
    const CVXLString text = trailer();
    CVXLByteBuffer out(text.length());
    out.append(text.c_str(), text.length());
    return out;
}
