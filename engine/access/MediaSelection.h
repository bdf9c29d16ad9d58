#pragma once

#include "engine/records/MediaUploadRequest.h"

#include <cstdint>
#include <vector>

class CMediaCollection;
class CVXLMediaItem;

// A list of media items handed out by the Media Access Manager: the selected
// items of a collection, or of every collection. The items stay the
// manager's; each holds one use in its collection until the list is given
// back with release(), which the manager does as releaseItemList.
class CMediaSelection : public CMediaItemIterator {
public:
    class Owner {
    public:
        virtual void releaseItemList(CMediaSelection* list) = 0;

    protected:
        ~Owner() = default;
    };

    // A heap list is deleted when it is given back; a member list is emptied.
    CMediaSelection(Owner* owner, CMediaCollection* collection, bool heap)
        : owner_(owner)
        , collection_(collection)
        , heap_(heap)
    {
    }
    virtual ~CMediaSelection() = default;

    void reset() override { cursor_ = 0; }
    bool done() const override { return cursor_ >= items_.size(); }
    // Where the item lies (its packed location, for a local item), its uid
    // and its identity.
    CMediaUploadItem current() const override;
    void next() override
    {
        if (cursor_ < items_.size())
            ++cursor_;
    }
    void release() override;

    CVXLMediaItem* currentItem() const { return done() ? nullptr : items_[cursor_]; }
    std::vector<CVXLMediaItem*>& items() { return items_; }
    const std::vector<CVXLMediaItem*>& items() const { return items_; }
    std::size_t size() const { return items_.size(); }
    // The collection whose entries the items hold a use in; null for none.
    CMediaCollection* collection() const { return collection_; }
    void setCollection(CMediaCollection* collection) { collection_ = collection; }
    bool isHeap() const { return heap_; }

    // The packed location a local item's location text names; 0 for another.
    static std::uint32_t packedLocationOf(const CVXLMediaItem& item);

private:
    Owner* owner_;
    CMediaCollection* collection_;
    bool heap_;
    std::vector<CVXLMediaItem*> items_;
    std::size_t cursor_ = 0;
};
