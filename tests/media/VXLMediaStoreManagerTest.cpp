#include "engine/media/VXLMediaStoreManager.h"

#include "engine/core/base/VXLLog.h"
#include "tests/support/FolderMediaSource.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SourceOwner : CVXLMediaStoreManager::Owner {
    CVXLPlatformMediaSource* source = nullptr;
    CVXLPlatformMediaSource* mediaSource() override { return source; }
};

// A started manager over a source that reports the given stores.
struct StoreRig {
    explicit StoreRig(std::vector<FolderMediaSource::Store> stores)
        : source(std::move(stores))
    {
        owner.source = &source;
        manager.setOwner(&owner);
        driver.attach(&manager);
        driver.runUntilIdle();
    }

    JobTreeDriver driver;
    FolderMediaSource source;
    SourceOwner owner;
    CVXLMediaStoreManager manager;
};

CVXLMediaLocation byNumber(std::int32_t number)
{
    CVXLMediaLocation selector;
    selector.setByNumber(true);
    selector.setNumber(number);
    return selector;
}

CVXLMediaLocation byName(const char* name)
{
    CVXLMediaLocation selector;
    selector.setName(name);
    return selector;
}

TEST(VXLMediaStoreManager, ListsAndLooksUpStores)
{
    using Store = FolderMediaSource::Store;
    struct Case {
        const char* what;
        std::vector<Store> stores;
        std::uint32_t count;
        std::int32_t currentIndex;
        std::uint16_t currentId;
        // Lookups by id: the id asked, the name and packed location found.
        std::uint16_t id;
        const char* nameById;
        std::uint32_t locationById;
        // Selectors and the store ids they resolve to.
        std::vector<std::pair<CVXLMediaLocation, std::uint16_t>> selectors;
    };
    const Case cases[] = {
        {"one store, the last on the first answer", {{1, "Phone", 1, true, "\\a"}}, 1, 0, 1, 1, "Phone",
            0x10003, {{byNumber(1), 1}, {byName("Phone"), 1}}},
        {"two stores with the same id: lookups find the first",
            {{2, "Phone", 1, false, "\\a"}, {2, "Card", 2, true, "\\b"}}, 2, 1, 2, 2, "Phone", 0x20003,
            {{byName("Card"), 2}}},
        {"no store marked default", {{3, "Phone", 1, false, "\\a"}, {4, "Card", 2, false, "\\b"}}, 2, -1, 0,
            4, "Card", 0x40004,
            {{byNumber(4), 4}, {byName("Card"), 4}, {byName("Nowhere"), 3}, {byNumber(9), 3}}},
        {"kind 7 packs without a location kind", {{2, "Odd", 7, true, "\\a"}}, 1, 0, 2, 2, "Odd", 0x20000,
            {}},
        {"no store: an empty list, no phantom record", {}, 0, -1, 0, 1, "", 0,
            {{byNumber(1), 0}, {byName("Phone"), 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StoreRig rig(c.stores);
        CVXLMediaStoreManager& m = rig.manager;
        EXPECT_EQ(m.getStoreCount(), c.count);
        EXPECT_EQ(m.currentIndex(), c.currentIndex);
        EXPECT_EQ(m.currentStoreId(), c.currentId);
        EXPECT_STREQ(m.storeNameById(c.id).c_str(), c.nameById);
        EXPECT_EQ(m.locationById(c.id), c.locationById);
        for (std::uint32_t i = 0; i < c.count; ++i) {
            EXPECT_EQ(m.storeIdAt(i), c.stores[i].id);
            EXPECT_STREQ(m.getStoreName(i).c_str(), c.stores[i].name.c_str());
            EXPECT_EQ(m.getStoreKind(i), c.stores[i].kind);
        }
        // Out of range: 0 and the empty string.
        EXPECT_EQ(m.storeIdAt(c.count), 0);
        EXPECT_EQ(m.storeIdAt(-1), 0);
        EXPECT_STREQ(m.getStoreName(c.count).c_str(), "");
        EXPECT_EQ(m.getStoreKind(c.count), 0);
        EXPECT_EQ(m.getStoreLocation(c.count), 0u);
        EXPECT_EQ(m.locationById(0xBEEF), 0u);
        for (const auto& [selector, id] : c.selectors)
            EXPECT_EQ(m.resolve(selector), id) << selector.name().c_str() << " " << selector.number();

        // First and next walk the list once, filling the selector by number.
        std::vector<std::uint16_t> walked;
        CVXLMediaLocation selector;
        for (bool more = m.firstStore(&selector); more; more = m.nextStore(&selector)) {
            EXPECT_TRUE(selector.byNumber());
            EXPECT_TRUE(selector.secondFlag());
            walked.push_back(static_cast<std::uint16_t>(selector.number()));
        }
        EXPECT_EQ(walked.size(), c.count);
        EXPECT_FALSE(m.nextStore(&selector));
    }
}

TEST(VXLMediaStoreManager, PackedLocationsByKind)
{
    StoreRig rig({{2, "One", 1, false, "\\a"}, {2, "Two", 2, false, "\\b"}, {2, "Seven", 7, true, "\\c"}});
    EXPECT_EQ(rig.manager.getStoreLocation(0), 0x20003u);
    EXPECT_EQ(rig.manager.getStoreLocation(1), 0x20004u);
    EXPECT_EQ(rig.manager.getStoreLocation(2), 0x20000u);
}

// Codes 5 and 10 rebuild the list; others leave it.
TEST(VXLMediaStoreManager, StorageCardChangesRebuildTheList)
{
    using Store = FolderMediaSource::Store;
    StoreRig rig({{1, "Phone", 1, true, "\\a"}});
    const std::vector<Store> withCard {{1, "Phone", 1, false, "\\a"}, {2, "Card", 2, true, "\\b"}};
    rig.source.setStores(withCard);
    rig.manager.onUiRequest(7);
    EXPECT_EQ(rig.manager.getStoreCount(), 1u);
    rig.manager.onUiRequest(kUIRequestMemoryCardChanged);
    EXPECT_EQ(rig.manager.getStoreCount(), 2u);
    EXPECT_EQ(rig.manager.currentStoreId(), 2);
    rig.source.setStores({{1, "Phone", 1, true, "\\a"}});
    rig.manager.onUiRequest(kUIRequestStoresChanged);
    EXPECT_EQ(rig.manager.getStoreCount(), 1u);
    EXPECT_EQ(rig.manager.currentStoreId(), 1);
}

// A media source that names a store on every call and never the last one;
// past a safety limit of its own it gives in, so a test without the bound
// fails instead of hanging.
class EndlessStores : public CVXLPlatformMediaSource {
public:
    static constexpr int kGivesInAfter = 10000;

    int firstStore(std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault) override
    {
        return nextStore(id, name, kind, isDefault);
    }
    int nextStore(std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault) override
    {
        ++calls;
        *id = static_cast<std::uint16_t>(calls);
        *name = "Again";
        *kind = 1;
        *isDefault = 0;
        return calls >= kGivesInAfter ? 1 : 0;
    }

    int calls = 0;
};

// A rebuild over a source that never answers "last store" ends at the bound,
// keeps the stores read so far and says so in the log.
TEST(VXLMediaStoreManager, ASourceThatNeverNamesItsLastStoreEndsTheRebuildAtTheBound)
{
    TempDeviceRoot root;
    EndlessStores source;
    SourceOwner owner;
    owner.source = &source;
    JobTreeDriver driver;
    CVXLMediaStoreManager manager;
    manager.setOwner(&owner);
    driver.attach(&manager);
    driver.runUntilIdle();
    EXPECT_EQ(source.calls, CVXLMediaStoreManager::kMaxStores);
    EXPECT_EQ(manager.getStoreCount(), static_cast<std::uint32_t>(CVXLMediaStoreManager::kMaxStores));
    EXPECT_EQ(manager.storeIdAt(0), 1);
    CVXLLog::flush();
    EXPECT_NE(root.readFile("log/engine.log").find("named no last store"), std::string::npos);

    source.calls = 0;
    manager.onUiRequest(kUIRequestMemoryCardChanged);
    EXPECT_EQ(source.calls, CVXLMediaStoreManager::kMaxStores);
}

} // namespace
