#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/transport/net/VXLHttpSettings.h"

#include <cstdint>

// Told of every configuration item that a set has changed: the Client
// re-checks the service identity and queues the memory-card notice.
class CVXLConfigListener {
public:
    virtual ~CVXLConfigListener() = default;
    virtual void configChanged(int item) = 0;
};

// The Client's settings store and the services over it: the numbered
// configuration items ("cfg.N"), the service identity, the message folder
// counters, cool sites and favorites. The Client owns one and hands it out;
// engine code reads and writes the settings here.
class CVXLClientSettings : public CVXLObject {
public:
    static constexpr int kFavoriteSlots = 11;

    CVXLClientSettings() = default;
    CVXLClientSettings(const CVXLClientSettings&) = delete;
    CVXLClientSettings& operator=(const CVXLClientSettings&) = delete;

    CVXLPersStore& store() { return store_; }
    const CVXLPersStore& store() const { return store_; }

    // Configuration items 1..53.
    static CVXLString configKey(int item);
    int getConfigString(int item, CVXLString* out) const;
    // The C library's text-to-integer reading, saturated to the signed 32-bit
    // range (so "-1" reads as 0xFFFFFFFF); 0 when absent or not a number.
    std::uint32_t getConfigNumber(int item) const;
    // Exactly "1", "T" or "t".
    bool getConfigBool(int item) const;
    bool getConfigOption53() const;
    void setConfigDefault(int item, const CVXLString& text);
    // Every item without a value gets its default.
    void writeConfigDefaults();
    // A set that succeeds tells the listener.
    int setConfigString(int item, const CVXLString& text);
    int setConfigNumber(int item, std::uint32_t number);
    // Not owned; null for none.
    void setConfigListener(CVXLConfigListener* listener) { listener_ = listener; }

    // What the network transport reads: items 2 (proxy), 4 (user agent),
    // 5 (extra header lines) and 7 (the user's identity), and whether data
    // communication is switched off.
    CVXLHttpSettings httpSettings() const;

    // Any key.
    int setPersistentString(const CVXLString& key, const CVXLString& text);
    int setPersistentNumber(const CVXLString& key, std::int32_t number);
    int getPersistentString(const CVXLString& key, CVXLString* out) const;
    // The key read as a decimal number; 0 when absent.
    std::int32_t getPersistentNumber(const CVXLString& key) const;

    void setNewMessagesFlag();
    void clearNewMessagesFlag();
    bool isDataCommActive() const;

    // Service identity.
    CVXLString buildIdHashKey() const;
    int checkIdentity();
    void storeVraxId(const CVXLString& id);

    // Cool sites.
    std::int32_t getCoolSiteCount() const;
    void getCoolSiteId(int n, CVXLString* out) const;
    void getCoolSiteCaption(int n, CVXLString* out) const;
    void getCoolSiteIcon(int n, CVXLString* out) const;
    void getCoolSiteIconType(int n, CVXLString* out) const;
    void getCoolSiteButton(int n, CVXLString* out) const;
    void getCoolSiteButtonType(int n, CVXLString* out) const;
    void addCoolSite(const CVXLString& id, const CVXLString& caption, const CVXLString& icon,
        const CVXLString& iconType, const CVXLString& button, const CVXLString& buttonType);
    int hasCoolSite(const CVXLString& id) const;
    void removeAllCoolSites();

    // Favorites, slots 0..10; a slot is used when its id is not empty.
    void setFavorite(int n, const CVXLString& id, const CVXLString& caption, std::int32_t location);
    void clearFavorite(int n);
    void getFavoriteId(int n, CVXLString* out) const;
    void getFavoriteCaption(int n, CVXLString* out) const;
    std::int32_t getFavoriteLocation(int n) const;
    // Clears every slot with the id and location.
    void removeFavorite(const CVXLString& name, std::int32_t location);

private:
    void getIndexed(const char* prefix, int n, CVXLString* out) const;

    CVXLPersStore store_;
    CVXLConfigListener* listener_ = nullptr;
};
