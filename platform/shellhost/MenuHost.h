#pragma once

#include <string>

// The context menus of the phone's applications, as far as the library's
// extensions take part: the File Explorer's for a file, Contacts' for a
// contact, Messaging's for a text message and the call log's for a call.
// The extensions of the selection's kind add their entries to one menu; a
// chosen entry is invoked by the verb the extension names for it.
namespace tessel::shellhost {

class TesselFmLibrary;

class MenuHost {
public:
    explicit MenuHost(const TesselFmLibrary& library)
        : library_(library)
    {
    }

    // kind "file" (item a phone path), "contact" (an object id), "message"
    // (a message id of the SMS Inbox) or "calllog" (an entry's index).
    // Writes the menu to out, one entry a line: its text, a tab, its verb,
    // and a tab and "grayed" when it is; then, when choice names an entry,
    // "invoked VERB RESULT". 0 when it ran, 2 for an unknown kind or choice.
    int run(const std::string& kind, const std::string& item, const std::string& choice, std::string* out);

private:
    const TesselFmLibrary& library_;
};

} // namespace tessel::shellhost
