#include "engine/client/VXLClientSettings.h"

#include "engine/client/VXLConfigItems.h"
#include "engine/core/settings/VXLPersKeys.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string value(const CVXLClientSettings& settings, const char* key)
{
    CVXLString out;
    settings.getPersistentString(key, &out);
    return out.c_str();
}

TEST(VXLConfigItems, TableHoldsEveryItemWithItsDefault)
{
    for (int item = kConfigItemFirst; item <= kConfigItemLast; ++item) {
        const CVXLConfigItemInfo* info = vxlConfigItemInfo(item);
        ASSERT_NE(info, nullptr) << item;
        EXPECT_EQ(info->item, item);
        ASSERT_NE(info->defaultValue, nullptr) << item;
        EXPECT_EQ(info->registryName == nullptr, info->type == kConfigNotSet) << item;
    }
    EXPECT_EQ(vxlConfigItemInfo(0), nullptr);
    EXPECT_EQ(vxlConfigItemInfo(54), nullptr);

    const CVXLConfigItemInfo* byName = vxlConfigItemByName("VXLCFG_MEM_CARD_PRESENT");
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byName->item, kCfgMemCardPresent);
    EXPECT_EQ(byName->type, kConfigNumber);
    EXPECT_EQ(vxlConfigItemByName("VXLCFG_mem_card_present"), nullptr);
    EXPECT_EQ(vxlConfigItemByName(nullptr), nullptr);
}

TEST(VXLClientSettings, DefaultsFillOnlyItemsWithoutAValue)
{
    CVXLClientSettings settings;
    settings.setConfigString(kCfgLanguage, "de");
    settings.writeConfigDefaults();

    struct Case {
        int item;
        const char* text;
    };
    const Case cases[] = {
        {kCfgProxyUri, ""},
        {kCfgHttpUserAgent, "ETS_device_2"},
        {kCfgLanguage, "de"},
        {kCfgCountry, "us"},
        {kCfgWindowSize12, "16"},
        {kCfgMessageBrowserWindowSize, "200"},
        {kCfgVideoViewMimeType, "video/"},
        {kCfgMinMessageStoreSize, "6114304"},
        {kCfgInitialMediaFilterValue, "3"},
        {kCfgItem52, "4"},
        {kCfgOption53, "1"},
    };
    for (const Case& c : cases) {
        CVXLString out;
        EXPECT_EQ(settings.getConfigString(c.item, &out), 1) << c.item;
        EXPECT_STREQ(out.c_str(), c.text) << c.item;
    }
    for (int item = kConfigItemFirst; item <= kConfigItemLast; ++item)
        EXPECT_TRUE(settings.store().has(CVXLClientSettings::configKey(item))) << item;
    CVXLString server;
    settings.getConfigString(kCfgServerUri, &server);
    const std::string uri = server.c_str();
    EXPECT_EQ(uri.substr(uri.size() - 9), "/VRAX_3_4");
    // Configuration items live in memory only.
    EXPECT_FALSE(settings.store().isDirty());
}

TEST(VXLClientSettings, ItemsReadAsTextNumberAndFlag)
{
    struct Case {
        const char* text;
        std::uint32_t number;
        bool flag;
    };
    const Case cases[] = {
        {"1", 1, true},
        {"T", 0, true},
        {"t", 0, true},
        {"TRUE", 0, false},
        {"0", 0, false},
        {"", 0, false},
        {"42abc", 42, false},
        {" 7", 7, false},
        {"-1", 0xFFFFFFFFu, false},
        // Out of range saturates instead of overflowing.
        {"99999999999", 0x7FFFFFFFu, false},
        {"-99999999999", 0x80000000u, false},
    };
    CVXLClientSettings settings;
    for (const Case& c : cases) {
        settings.setConfigString(kCfgTopCorrection, c.text);
        CVXLString out;
        EXPECT_EQ(settings.getConfigString(kCfgTopCorrection, &out), 1);
        EXPECT_STREQ(out.c_str(), c.text);
        EXPECT_EQ(settings.getConfigNumber(kCfgTopCorrection), c.number) << c.text;
        EXPECT_EQ(settings.getConfigBool(kCfgTopCorrection), c.flag) << c.text;
    }
}

TEST(VXLClientSettings, AbsentItemReadsEmptyZeroAndFalse)
{
    CVXLClientSettings settings;
    CVXLString out("left over");
    EXPECT_EQ(settings.getConfigString(kCfgCountry, &out), 0);
    EXPECT_STREQ(out.c_str(), "");
    EXPECT_EQ(settings.getConfigNumber(kCfgCountry), 0u);
    EXPECT_FALSE(settings.getConfigBool(kCfgCountry));
    EXPECT_FALSE(settings.getConfigOption53());
}

TEST(VXLClientSettings, Option53NeedsANonZeroNumber)
{
    struct Case {
        const char* text;
        bool on;
    };
    const Case cases[] = {{"1", true}, {"12", true}, {"0", false}, {"1a", false}, {"-", false}, {"", false}};
    CVXLClientSettings settings;
    for (const Case& c : cases) {
        settings.setConfigString(kCfgOption53, c.text);
        EXPECT_EQ(settings.getConfigOption53(), c.on) << c.text;
    }
}

TEST(VXLClientSettings, NumbersAreStoredInDecimal)
{
    CVXLClientSettings settings;
    settings.setConfigNumber(kCfgImageViewWidth, 4000000000u);
    CVXLString out;
    settings.getConfigString(kCfgImageViewWidth, &out);
    EXPECT_STREQ(out.c_str(), "4000000000");
    settings.setPersistentNumber("int.progress_total", -5);
    EXPECT_EQ(value(settings, "int.progress_total"), "-5");
    EXPECT_EQ(settings.getPersistentNumber("int.progress_total"), -5);
    EXPECT_EQ(settings.getPersistentNumber("int.absent"), 0);
}

TEST(VXLClientSettings, IdentityHoldsWhileItsKeyMatches)
{
    CVXLClientSettings settings;
    settings.setConfigString(kCfgServerUri, "http://s/VRAX_3_4");
    settings.setConfigString(kCfgUserIdentity, "user");
    settings.setConfigString(kCfgMobileEmail, "m@x");
    settings.setConfigString(kCfgLanguage, "en");
    EXPECT_STREQ(settings.buildIdHashKey().c_str(), "http://s/VRAX_3_4userm@xen");

    EXPECT_EQ(settings.checkIdentity(), 0) << "no identity stored yet";
    settings.storeVraxId("id-1");
    settings.setPersistentString(kPersVraxUrl, "http://dest");
    settings.setPersistentString(kPersVraxVerId, "9");
    EXPECT_EQ(settings.checkIdentity(), 1);
    EXPECT_EQ(value(settings, kPersVraxId), "id-1");
    EXPECT_EQ(value(settings, kPersVraxUrl), "http://dest");

    settings.setConfigString(kCfgLanguage, "fr");
    EXPECT_EQ(settings.checkIdentity(), 0);
    EXPECT_EQ(value(settings, kPersVraxId), "");
    EXPECT_EQ(value(settings, kPersVraxUrl), "");
    EXPECT_EQ(value(settings, kPersVraxVerId), "");
}

// The transport's settings come from the configuration items and the
// data-communication switch; every other item leaves them alone.
TEST(VXLClientSettings, HttpSettingsFollowTheirItems)
{
    struct Case {
        const char* what;
        int item; // 0: the data-communication switch
        const char* text;
        const char* proxyUri;
        const char* userAgent;
        const char* extraHeaders;
        const char* userName;
        bool dataTrafficOff;
    };
    const Case cases[] = {
        {"defaults", kCfgCountry, "de", "", "ETS_device_2", "", "", false},
        {"proxy", kCfgProxyUri, "http://127.0.0.1:3128", "http://127.0.0.1:3128", "ETS_device_2", "", "",
            false},
        {"user agent", kCfgHttpUserAgent, "Agent/2", "", "Agent/2", "", "", false},
        {"extra headers", kCfgHttpExtraHeaders, "X-A: 1\r\nX-B: 2", "", "ETS_device_2", "X-A: 1\r\nX-B: 2",
            "", false},
        {"identity", kCfgUserIdentity, "user-7", "", "ETS_device_2", "", "user-7", false},
        {"data off", 0, "0", "", "ETS_device_2", "", "", true},
        {"data on", 0, "1", "", "ETS_device_2", "", "", false},
    };
    for (const Case& c : cases) {
        CVXLClientSettings settings;
        settings.writeConfigDefaults();
        if (c.item == 0)
            settings.setPersistentString(kPersDatacommActive, c.text);
        else
            settings.setConfigString(c.item, c.text);
        const CVXLHttpSettings http = settings.httpSettings();
        EXPECT_STREQ(http.proxyUri.c_str(), c.proxyUri) << c.what;
        EXPECT_STREQ(http.userAgent.c_str(), c.userAgent) << c.what;
        EXPECT_STREQ(http.extraHeaders.c_str(), c.extraHeaders) << c.what;
        EXPECT_STREQ(http.userName.c_str(), c.userName) << c.what;
        EXPECT_STREQ(http.versionText.c_str(), "5.5.6") << c.what;
        EXPECT_EQ(http.dataTrafficOff, c.dataTrafficOff) << c.what;
    }
}

TEST(VXLClientSettings, CoolSitesAreLockedUntilRemovedAsAWhole)
{
    CVXLClientSettings settings;
    EXPECT_EQ(settings.getCoolSiteCount(), 0);
    settings.addCoolSite("a", "Site A", "icon-a", "image/png", "", "ignored");
    settings.addCoolSite("b", "Site B", "icon-b", "image/gif", "btn-b", "image/jpeg");
    EXPECT_EQ(settings.getCoolSiteCount(), 2);
    EXPECT_FALSE(settings.store().has("pers.cool_sites.btn.0"));
    EXPECT_FALSE(settings.store().has("pers.cool_sites.btntype.0"));
    EXPECT_EQ(value(settings, "pers.cool_sites.btntype.1"), "image/jpeg");

    CVXLString out;
    settings.getCoolSiteCaption(1, &out);
    EXPECT_STREQ(out.c_str(), "Site B");
    settings.getCoolSiteButton(0, &out);
    EXPECT_STREQ(out.c_str(), "");
    EXPECT_EQ(settings.hasCoolSite("b"), 1);
    EXPECT_EQ(settings.hasCoolSite("c"), 0);

    EXPECT_EQ(settings.setPersistentString("pers.cool_sites.ids.0", "z"), 0);
    settings.removeAllCoolSites();
    EXPECT_EQ(settings.getCoolSiteCount(), 0);
    settings.addCoolSite("z", "Site Z", "", "", "", "");
    settings.getCoolSiteId(0, &out);
    EXPECT_STREQ(out.c_str(), "z");
    EXPECT_TRUE(settings.store().isDirty());
}

TEST(VXLClientSettings, FavoritesAreRemovedByNameAndLocation)
{
    CVXLClientSettings settings;
    settings.setFavorite(2, "album", "My album", 7);
    settings.setFavorite(7, "album", "Same name elsewhere", 8);
    settings.setFavorite(9, "album", "Twice in the favourites", 8);
    settings.setFavorite(11, "out of range", "x", 1);
    EXPECT_FALSE(settings.store().has("pers.favorites_id.11"));

    settings.removeFavorite("album", 8);
    CVXLString out;
    settings.getFavoriteId(7, &out);
    EXPECT_STREQ(out.c_str(), "");
    settings.getFavoriteId(9, &out);
    EXPECT_STREQ(out.c_str(), "") << "every slot naming the item is cleared";
    settings.getFavoriteId(2, &out);
    EXPECT_STREQ(out.c_str(), "album");
    EXPECT_EQ(settings.getFavoriteLocation(2), 7);
    EXPECT_EQ(settings.getFavoriteLocation(7), 0);

    settings.removeFavorite("album", 99);
    settings.getFavoriteCaption(2, &out);
    EXPECT_STREQ(out.c_str(), "My album");
}

} // namespace
