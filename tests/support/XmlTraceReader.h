#pragma once

#include "engine/core/xml/VXLXmlReader.h"

#include <string>

// An XML reader that writes what it is told as lines of text, one event a
// line ("start NAME", "attr NAME=VALUE", "text VALUE", "end NAME",
// "malformed"). Bytes outside printable ASCII and the backslash are written
// as \xHH, so the trace is plain ASCII; tests/peers/xml_expat_trace.py writes
// expat's events in the same form.
class XmlTraceReader : public CVXLXmlReader {
public:
    std::string trace;

    static std::string escaped(const char* bytes, std::size_t n)
    {
        static const char kHex[] = "0123456789abcdef";
        std::string out;
        for (std::size_t i = 0; i < n; ++i) {
            const auto c = static_cast<unsigned char>(bytes[i]);
            if (c < 0x20 || c > 0x7E || c == '\\') {
                out += "\\x";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
        return out;
    }
    static std::string escaped(const CVXLString& s) { return escaped(s.c_str(), s.length()); }

    void reset() override
    {
        CVXLXmlReader::reset();
        trace.clear();
    }
    void onElement(const CVXLString& name, bool start) override
    {
        trace += (start ? "start " : "end ") + escaped(name) + "\n";
    }
    void onAttribute(const CVXLString& name, const CVXLString& value) override
    {
        trace += "attr " + escaped(name) + "=" + escaped(value) + "\n";
    }
    void onText(const CVXLString& text) override { trace += "text " + escaped(text) + "\n"; }
    void onMalformed() override { trace += "malformed\n"; }

    // The whole document in one chunk, then its end.
    std::string parse(const std::string& document)
    {
        reset();
        feed(document.data(), static_cast<std::uint32_t>(document.size()));
        finish();
        return trace;
    }
};
