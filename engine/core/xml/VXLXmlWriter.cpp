#include "engine/core/xml/VXLXmlWriter.h"

CVXLXmlWriter::CVXLXmlWriter() = default;

CVXLXmlWriter::~CVXLXmlWriter()
{
    output_.clear();
    while (depth_ > 0)
        popElement();
}

void CVXLXmlWriter::reset()
{
    output_.clear();
    while (depth_ > 0)
        popElement();
}

CVXLXmlWriter::Record CVXLXmlWriter::innermost() const
{
    Record record = {0, kStartTagOpen};
    if (depth_ > 0)
        vxlMemCopy(&record, records_.at((depth_ - 1) * sizeof record), sizeof record);
    return record;
}

void CVXLXmlWriter::setInnermostState(ElementState state)
{
    if (depth_ == 0)
        return;
    const Record record = {innermost().nameOffset, state};
    records_.write((depth_ - 1) * sizeof record, &record, sizeof record);
}

void CVXLXmlWriter::popElement()
{
    if (depth_ == 0)
        return;
    names_.truncate(innermost().nameOffset);
    records_.truncate((depth_ - 1) * sizeof(Record));
    --depth_;
}

void CVXLXmlWriter::write(const char* text)
{
    output_.appendCString(text);
}

void CVXLXmlWriter::indent(std::uint32_t levels)
{
    for (std::uint32_t i = 0; i < levels; ++i)
        write(" ");
}

void CVXLXmlWriter::startElement(const CVXLString& name)
{
    if (depth_ > 0 && innermost().state == kStartTagOpen) {
        write(">\n");
        setInnermostState(kHasChildren);
    }
    const Record record = {names_.length(), kStartTagOpen};
    if (!records_.append(&record, sizeof record))
        return;
    names_.append(name.c_str(), name.length());
    indent(depth_);
    write("<");
    output_.append(name.c_str(), name.length());
    ++depth_;
}

void CVXLXmlWriter::attribute(const CVXLString& name, const CVXLString& value)
{
    if (depth_ == 0 || innermost().state != kStartTagOpen)
        return;
    write(" ");
    output_.append(name.c_str(), name.length());
    write("=\"");
    escape(value);
    write("\"");
}

void CVXLXmlWriter::text(const CVXLString& text)
{
    if (depth_ == 0)
        return;
    if (innermost().state == kStartTagOpen)
        write(">");
    setInnermostState(kHasText);
    escape(text);
}

void CVXLXmlWriter::endElement()
{
    if (depth_ == 0)
        return;
    const Record record = innermost();
    if (record.state == kStartTagOpen) {
        write("/>");
    } else {
        if (record.state == kHasChildren)
            indent(depth_ - 1);
        write("</");
        output_.append(names_.data() + record.nameOffset, names_.length() - record.nameOffset);
        write(">");
    }
    write("\n");
    popElement();
}

void CVXLXmlWriter::escape(const CVXLString& text)
{
    const char* p = text.c_str();
    const std::uint32_t n = text.length();
    std::uint32_t runStart = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        const char* entity = nullptr;
        switch (c) {
        case '"':
            entity = "&quot;";
            break;
        case '&':
            entity = "&amp;";
            break;
        case '\'':
            entity = "&apos;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        default:
            // No XML document can hold these, not even as references.
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                entity = "";
            break;
        }
        if (!entity)
            continue;
        output_.append(p + runStart, i - runStart);
        write(entity);
        runStart = i + 1;
    }
    output_.append(p + runStart, n - runStart);
}
