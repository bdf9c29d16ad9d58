#pragma once

#include "engine/client/scenario/ScenarioClientFace.h"
#include "engine/client/scenario/ScenarioFileReader.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/VXLTextPair.h"
#include "engine/core/xml/VXLXmlReader.h"
#include "engine/screens/VXLMenuItemElement.h"

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// Reads files from memory for the Scenario Manager: feeds the bytes to an
// XML reader a few at a time, one chunk per step, and reports the end in a
// later step, as the file reader job does.
class MemoryFileReader : public CScenarioFileReader {
public:
    // What the reader reports for a file it does not have, and for one that
    // is cut short or not well-formed.
    static constexpr std::int32_t kNoSuchFile = 2;
    static constexpr std::int32_t kBadDocument = 3;

    std::map<std::string, std::string> files;
    std::uint32_t chunkSize = 61;
    int readings = 0;

    void setListener(Listener* listener) override { listener_ = listener; }
    void setPath(const CVXLString& path) override { path_ = path.c_str(); }
    void beginReading() override
    {
        ++readings;
        xml_.listener = listener_;
        xml_.reset();
        position_ = 0;
        stopWanted_ = false;
        reading_ = true;
        schedule();
    }
    void stopReading() override
    {
        stopWanted_ = true;
        xml_.stop();
        schedule();
    }

    void onEvent(CVXLEvent* event) override
    {
        if (event != &step_) {
            CVXLEventHandler::onEvent(event);
            return;
        }
        finishEvent(event);
        if (reading_)
            readChunk();
    }

private:
    class Forwarder : public CVXLXmlReader {
    public:
        Listener* listener = nullptr;
        void onElement(const CVXLString& name, bool start) override { listener->element(name, start); }
        void onAttribute(const CVXLString& name, const CVXLString& value) override
        {
            listener->attribute(name, value);
        }
        void onText(const CVXLString& text) override { listener->text(text); }
    };

    void schedule()
    {
        if (!step_.isBusy())
            post(this, &step_);
    }

    void report(std::int32_t result)
    {
        reading_ = false;
        listener_->finished(result);
    }

    void readChunk()
    {
        if (stopWanted_)
            return report(kResultCancelled);
        auto file = files.find(path_);
        if (file == files.end())
            return report(kNoSuchFile);
        const std::string& bytes = file->second;
        const std::size_t n = std::min<std::size_t>(chunkSize, bytes.size() - position_);
        xml_.feed(bytes.data() + position_, static_cast<std::uint32_t>(n));
        position_ += n;
        if (stopWanted_)
            return report(kResultCancelled);
        if (xml_.isMalformed())
            return report(kBadDocument);
        if (position_ == bytes.size())
            return report(xml_.finish() ? kResultSucceeded : kBadDocument);
        schedule();
    }

    Listener* listener_ = nullptr;
    Forwarder xml_;
    std::string path_;
    std::size_t position_ = 0;
    bool stopWanted_ = false;
    bool reading_ = false;
    CVXLSimpleEvent step_ {1};
};

// The Client's side: settings, menu links and user-interface requests.
class FakeScenarioClient : public CScenarioClientFace {
public:
    std::map<std::string, std::string> settings;
    std::vector<std::unique_ptr<CVXLTextPair, void (*)(CVXLTextPair*)>> links;
    std::vector<std::int32_t> uiRequests;

    bool getSetting(const char* key, CVXLString& value) const override
    {
        auto it = settings.find(key);
        if (it == settings.end())
            return false;
        value = it->second.c_str();
        return true;
    }
    void setPersistentString(const char* key, const CVXLString& value) override
    {
        settings[key] = value.c_str();
    }
    void clearMenuLinks() override { links.clear(); }
    void addMenuLink(CVXLTextPair* link) override
    {
        links.emplace_back(link, [](CVXLTextPair* p) { delete p; });
    }
    void pushUIRequest(std::int32_t code) override { uiRequests.push_back(code); }

    std::string linkList() const
    {
        std::string out;
        for (const auto& link : links)
            out += std::string(link->first().c_str()) + " = " + link->second().c_str() + "\n";
        return out;
    }
};

inline std::string readTestFile(const std::string& relative)
{
    std::ifstream in(std::string(TESSEL_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// One line per entry: "cat|dest id: caption / description [menu link mime]
// [button link mime] icons".
inline std::string dumpEntries(const CVXLPtrArray& entries)
{
    std::string out;
    for (std::uint32_t i = 0; i < entries.count(); ++i) {
        const auto* e = static_cast<const CVXLMenuItemElement*>(entries.at(static_cast<int>(i)));
        out += std::string(e->isCategory() ? "cat " : "dest ") + e->id().c_str() + ": " + e->text().c_str();
        if (e->description().length())
            out += std::string(" / ") + e->description().c_str();
        if (e->getMenuMediaLink().length())
            out += std::string(" [menu ") + e->getMenuMediaLink().c_str() + " " + e->menuMimeType().c_str()
                + "]";
        if (e->getButtonMediaLink().length())
            out += std::string(" [button ") + e->getButtonMediaLink().c_str() + " "
                + e->buttonMimeType().c_str() + "]";
        if (e->menuIconWanted() || e->buttonIconWanted())
            out += " icons";
        out += "\n";
    }
    return out;
}

inline std::string dumpLabel(const char* side, const CScenarioLabel& label)
{
    std::ostringstream out;
    out << "  " << side << " t=" << label.captions().first().c_str()
        << " f=" << label.captions().second().c_str() << " choice=" << int(label.captions().choice())
        << " actions=" << label.actions().trueAction() << "," << label.actions().falseAction()
        << " rule=" << label.rule().text().c_str() << "\n";
    return out.str();
}

// Every member of a definition, one line per record.
inline std::string dumpLayout(const CScenarioLayout& layout)
{
    std::ostringstream out;
    const CScenarioConfigLink& link = layout.configLink();
    out << "id=" << layout.id().c_str() << " cookie=" << layout.cookie().c_str()
        << " err=" << layout.errorText().c_str() << " focus=" << layout.initialFocus()
        << " pri=" << layout.hasPriority() << " url=" << layout.destinationUrl().c_str()
        << " isCfg=" << layout.isConfiguration() << " hasCfg=" << layout.hasConfiguration()
        << " link=" << int(link.configured()) << "," << link.kind() << "," << link.link().c_str() << ","
        << link.text().c_str() << " wait=" << layout.waitAction() << "," << layout.waitText().c_str() << "\n";
    for (std::uint32_t i = 0; i < layout.fieldCount(); ++i) {
        const CScenarioField& f = *layout.fieldAt(i);
        const CScenarioFieldDescription& s = f.fieldDescription();
        out << "field " << f.fieldId().c_str() << " out=" << f.outgoing() << " ferr=" << f.errorText().c_str()
            << " help=" << f.hasHelp() << "," << f.helpUrl().c_str() << " values=";
        for (std::uint32_t v = 0; v < f.values().count(); ++v)
            out << f.values().at(static_cast<int>(v)).c_str() << ";";
        out << " type=" << s.typeCode() << "(";
        for (std::uint32_t t = 0; t < s.typeNameCount(); ++t)
            out << s.typeName(t).c_str() << ";";
        out << ") min=";
        for (std::uint32_t m = 0; m < s.minCount(); ++m)
            out << s.minAt(m) << ";";
        out << " max=";
        for (std::uint32_t m = 0; m < s.maxCount(); ++m)
            out << s.maxAt(m) << ";";
        out << " vis=" << s.visible() << " edit=" << s.editable() << " bits=" << s.inputFormats() << ","
            << s.modifiers() << "," << s.fonts() << " caption=" << s.caption().c_str()
            << " name=" << s.name().c_str() << "\n";
        out << dumpLabel("lsk", s.leftSoftKey()) << dumpLabel("rsk", s.rightSoftKey());
    }
    return out.str();
}
