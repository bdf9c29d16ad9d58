#include "engine/media/VXLMediaStoreManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/core/platform/VXLPlatformMediaSource.h"

namespace {
CVXLMediaStoreManager* gInstance = nullptr;
}

CVXLMediaStoreManager::~CVXLMediaStoreManager()
{
    if (gInstance == this)
        gInstance = nullptr;
}

CVXLMediaStoreManager* CVXLMediaStoreManager::instance()
{
    return gInstance;
}

void CVXLMediaStoreManager::setInstance(CVXLMediaStoreManager* manager)
{
    gInstance = manager;
}

void CVXLMediaStoreManager::onEvent(CVXLEvent* event)
{
    if (event->effectiveCode() == kEventStart) {
        if (owner_)
            source_ = owner_->mediaSource();
        rebuild();
    }
    finishEvent(event);
}

void CVXLMediaStoreManager::onUiRequest(std::int32_t code)
{
    if (code == kUIRequestMemoryCardChanged || code == kUIRequestStoresChanged)
        rebuild();
}

void CVXLMediaStoreManager::rebuild()
{
    stores_.clear();
    current_ = -1;
    cursor_ = 0;
    if (!source_)
        return;
    for (std::int32_t index = 0; index < kMaxStores; ++index) {
        std::uint16_t id = 0;
        const char* name = nullptr;
        std::int32_t kind = 1;
        std::uint8_t isDefault = 0;
        const int last = index == 0 ? source_->firstStore(&id, &name, &kind, &isDefault)
                                    : source_->nextStore(&id, &name, &kind, &isDefault);
        // A source with no (further) store leaves the name unset.
        if (!name)
            return;
        if (isDefault)
            current_ = index;
        stores_.push_back(Store {id, CVXLString(name), kind});
        if (last)
            return;
    }
    VXL_LOG_FAILURE("media stores: the media source named no last store among %d; the list ends there",
        static_cast<int>(kMaxStores));
}

const CVXLMediaStoreManager::Store* CVXLMediaStoreManager::at(std::int32_t index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= stores_.size())
        return nullptr;
    return &stores_[static_cast<std::size_t>(index)];
}

const CVXLMediaStoreManager::Store* CVXLMediaStoreManager::byId(std::uint16_t id) const
{
    for (const Store& store : stores_)
        if (store.id == id)
            return &store;
    return nullptr;
}

std::uint16_t CVXLMediaStoreManager::currentStoreId() const
{
    return storeIdAt(current_);
}

std::uint16_t CVXLMediaStoreManager::storeIdAt(std::int32_t index) const
{
    const Store* store = at(index);
    return store ? store->id : 0;
}

const CVXLString& CVXLMediaStoreManager::getStoreName(std::int32_t index) const
{
    const Store* store = at(index);
    return store ? store->name : empty_;
}

const CVXLString& CVXLMediaStoreManager::storeNameById(std::uint16_t id) const
{
    const Store* store = byId(id);
    return store ? store->name : empty_;
}

std::int32_t CVXLMediaStoreManager::getStoreKind(std::int32_t index) const
{
    const Store* store = at(index);
    return store ? store->kind : 0;
}

std::uint32_t CVXLMediaStoreManager::getStoreLocation(std::int32_t index) const
{
    const Store* store = at(index);
    return store ? vxlPackLocation(store->id, store->kind) : 0;
}

std::uint32_t CVXLMediaStoreManager::locationById(std::uint16_t id) const
{
    const Store* store = byId(id);
    return store ? vxlPackLocation(store->id, store->kind) : 0;
}

std::uint16_t CVXLMediaStoreManager::resolve(const CVXLMediaLocation& selector) const
{
    for (const Store& store : stores_) {
        if (selector.byNumber() ? static_cast<std::int32_t>(store.id) == selector.number()
                                : store.name == selector.name())
            return store.id;
    }
    return stores_.empty() ? 0 : stores_.front().id;
}

void CVXLMediaStoreManager::fill(std::uint32_t index, CVXLMediaLocation* selector) const
{
    const Store& store = stores_[index];
    selector->setName(store.name);
    selector->setByNumber(true);
    selector->setSecondFlag(true);
    selector->setNumber(store.id);
}

bool CVXLMediaStoreManager::firstStore(CVXLMediaLocation* selector)
{
    if (stores_.empty())
        return false;
    cursor_ = 0;
    fill(cursor_, selector);
    return true;
}

bool CVXLMediaStoreManager::nextStore(CVXLMediaLocation* selector)
{
    if (cursor_ + 1 >= stores_.size()) {
        cursor_ = static_cast<std::uint32_t>(stores_.size());
        return false;
    }
    ++cursor_;
    fill(cursor_, selector);
    return true;
}
