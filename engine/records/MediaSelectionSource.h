#pragma once

#include <vector>

class CVXLMediaItem;

// The media the subscriber has selected across every open collection, as the
// outbound queue reads them when a composed message is submitted. The Media
// Access Manager is the source; the items stay its own.
class CMediaSelectionSource {
public:
    virtual std::vector<CVXLMediaItem*> selectedMedia() = 0;

protected:
    ~CMediaSelectionSource() = default;
};
