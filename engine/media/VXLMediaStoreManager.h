#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/media/VXLMediaLocation.h"

#include <cstdint>
#include <vector>

class CVXLPlatformMediaSource;

// The phone's media stores as the platform media source reports them, looked
// up by index or by 16-bit store id. Lookups never fail: an index out of
// range or an unknown id answers 0 or the empty string. Takes no requests:
// every event is finished at once.
class CVXLMediaStoreManager : public CVXLEventHandler {
public:
    // Where the manager takes its media source from when it starts.
    class Owner {
    public:
        virtual ~Owner() = default;
        virtual CVXLPlatformMediaSource* mediaSource() = 0;
    };

    // The UI request codes that rebuild the list (5: storage card changed).
    // A rebuild asks for at most this many stores: a media source that never
    // names its last store must not keep the engine in the loop.
    static constexpr std::int32_t kMaxStores = 32;

    CVXLMediaStoreManager() = default;
    ~CVXLMediaStoreManager() override;

    void setOwner(Owner* owner) { owner_ = owner; }
    // The instance the Client installs (null without one).
    static CVXLMediaStoreManager* instance();
    static void setInstance(CVXLMediaStoreManager* manager);

    void onEvent(CVXLEvent* event) override;
    void onUiRequest(std::int32_t code) override;
    const char* name() const override { return "CVXLMediaStoreManager"; }

    // Empties the list and asks the media source for every store, up to the
    // one it reports as the last; a store reported without a name ends the
    // list unlisted (a source with no store gives an empty list). After
    // kMaxStores without a last one the list ends there, and the log says so.
    void rebuild();
    CVXLPlatformMediaSource* mediaSource() const { return source_; }

    std::uint32_t getStoreCount() const { return static_cast<std::uint32_t>(stores_.size()); }
    // -1 when no store is marked as the default.
    std::int32_t currentIndex() const { return current_; }
    std::uint16_t currentStoreId() const;
    std::uint16_t storeIdAt(std::int32_t index) const;
    const CVXLString& getStoreName(std::int32_t index) const;
    const CVXLString& storeNameById(std::uint16_t id) const;
    std::int32_t getStoreKind(std::int32_t index) const;
    std::uint32_t getStoreLocation(std::int32_t index) const;
    std::uint32_t locationById(std::uint16_t id) const;
    // By number, the first store with that id; by name, the first with that
    // name; else the first store's id (0 with no store).
    std::uint16_t resolve(const CVXLMediaLocation& selector) const;
    // Fill the selector from the first / next store; false past the end.
    bool firstStore(CVXLMediaLocation* selector);
    bool nextStore(CVXLMediaLocation* selector);

private:
    struct Store {
        std::uint16_t id = 0;
        CVXLString name;
        std::int32_t kind = 0;
    };

    const Store* at(std::int32_t index) const;
    const Store* byId(std::uint16_t id) const;
    void fill(std::uint32_t index, CVXLMediaLocation* selector) const;

    Owner* owner_ = nullptr;
    CVXLPlatformMediaSource* source_ = nullptr;
    std::vector<Store> stores_;
    std::int32_t current_ = -1;
    std::uint32_t cursor_ = 0;
    const CVXLString empty_;
};
