#include "engine/client/VXLConfigItems.h"

#include "engine/core/base/VXLObject.h"

namespace {

// The host names of the two servers are deployment values.
constexpr CVXLConfigItemInfo kItems[kConfigItemCount] = {
    {1, "VXLCFG_SERVER_URI", kConfigText, "http://vrax.tessel.example.com/VRAX_3_4"},
    {2, "VXLCFG_PROXY_URI", kConfigText, ""},
    {3, "VXLCFG_MMSC_URI", kConfigText, "http://mmsc.tessel.example.com/mms"},
    {4, "VXLCFG_HTTP_USER_AGENT", kConfigText, "ETS_device_2"},
    {5, "VXLCFG_HTTP_EXTRA_HEADERS", kConfigText, ""},
    {6, nullptr, kConfigNotSet, ""},
    {7, nullptr, kConfigNotSet, ""},
    {8, "VXLCFG_LANGUAGE", kConfigText, "en"},
    {9, "VXLCFG_COUNTRY", kConfigText, "us"},
    {10, "VXLCFG_DEVICE_MODEL", kConfigText, ""},
    {11, "VXLCFG_DEFAULT_ALBUM_LIST_WINDOW_SIZE", kConfigNumber, "3"},
    {12, nullptr, kConfigNotSet, "16"},
    {13, "VXLCFG_DEFAULT_MEDIA_BROWSER_WINDOW_SIZE", kConfigNumber, "16"},
    {14, "VXLCFG_DEFAULT_FOLDER_LIST_WINDOW_SIZE", kConfigNumber, "3"},
    {15, "VXLCFG_DEFAULT_MESSAGE_BROWSER_WINDOW_SIZE", kConfigNumber, "200"},
    {16, "VXLCFG_TOP_CORRECTION", kConfigNumber, "0"},
    {17, "VXLCFG_IMAGE_PREVIEW_WIDTH", kConfigNumber, "100"},
    {18, "VXLCFG_IMAGE_PREVIEW_HEIGHT", kConfigNumber, "100"},
    {19, "VXLCFG_IMAGE_PREVIEW_MAX_FILESIZE", kConfigNumber, "5120"},
    {20, "VXLCFG_IMAGE_PREVIEW_MIME_TYPE", kConfigText, "image/"},
    {21, "VXLCFG_VIDEO_PREVIEW_WIDTH", kConfigNumber, "100"},
    {22, "VXLCFG_VIDEO_PREVIEW_HEIGHT", kConfigNumber, "100"},
    {23, "VXLCFG_VIDEO_PREVIEW_MAX_FILESIZE", kConfigNumber, "5120"},
    {24, "VXLCFG_VIDEO_PREVIEW_MIME_TYPE", kConfigText, "image/"},
    {25, "VXLCFG_IMAGE_VIEW_WIDTH", kConfigNumber, "160"},
    {26, "VXLCFG_IMAGE_VIEW_HEIGHT", kConfigNumber, "220"},
    {27, "VXLCFG_IMAGE_VIEW_MAX_FILESIZE", kConfigNumber, "102400"},
    {28, "VXLCFG_IMAGE_VIEW_MIME_TYPE", kConfigText, "image/"},
    {29, "VXLCFG_VIDEO_VIEW_WIDTH", kConfigNumber, "160"},
    {30, "VXLCFG_VIDEO_VIEW_HEIGHT", kConfigNumber, "220"},
    {31, "VXLCFG_VIDEO_VIEW_MAX_FILESIZE", kConfigNumber, "102400"},
    {32, "VXLCFG_VIDEO_VIEW_MIME_TYPE", kConfigText, "video/"},
    {33, "VXLCFG_VIDEO_ORIGINAL_MAX_FILESIZE", kConfigNumber, "524288"},
    {34, "VXLCFG_IMAGE_ORIGINAL_MAX_FILESIZE", kConfigNumber, "102400"},
    {35, "VXLCFG_AUDIO_MAX_FILESIZE", kConfigNumber, "102400"},
    {36, "VXLCFG_MESSAGE_IMAGE_PREVIEW_WIDTH", kConfigNumber, "100"},
    {37, "VXLCFG_MESSAGE_IMAGE_PREVIEW_HEIGHT", kConfigNumber, "100"},
    {38, "VXLCFG_MESSAGE_IMAGE_EXPANDED_WIDTH", kConfigNumber, "160"},
    {39, "VXLCFG_MESSAGE_IMAGE_EXPANDED_HEIGHT", kConfigNumber, "220"},
    {40, "VXLCFG_AUTO_DELETE", kConfigNumber, "0"},
    {41, "VXLCFG_MEM_CARD_PRESENT", kConfigNumber, "0"},
    {42, "VXLCFG_SUPPORT_HOME_PRINTER", kConfigNumber, "0"},
    {43, "VXLCFG_WEB_GUARD", kConfigNumber, "0"},
    {44, "VXLCFG_CARDSTORE_MAX_NUMBER_CARDS", kConfigNumber, "200"},
    {45, "VXLCFG_MAX_NUM_NOTIFICATIONS", kConfigNumber, "100"},
    {46, "VXLCFG_MIN_MESSAGE_STORE_SIZE", kConfigNumber, "6114304"},
    {47, "VXLCFG_INITIAL_MEDIA_FILTER_VALUE", kConfigText, "3"},
    {48, "VXLCFG_UPLOADALL_MAX_VIDEO_SIZE", kConfigNumber, "524288"},
    {49, "VXLCFG_UPLOADALL_MAX_IMAGE_SIZE", kConfigNumber, "262144"},
    {50, nullptr, kConfigNotSet, "3"},
    {51, nullptr, kConfigNotSet, "0"},
    {52, nullptr, kConfigNotSet, "4"},
    {53, nullptr, kConfigNotSet, "1"},
};

} // namespace

const CVXLConfigItemInfo* vxlConfigItemInfo(int item)
{
    if (item < kConfigItemFirst || item > kConfigItemLast)
        return nullptr;
    return &kItems[item - kConfigItemFirst];
}

const CVXLConfigItemInfo* vxlConfigItemByName(const char* name)
{
    if (!name)
        return nullptr;
    for (const CVXLConfigItemInfo& info : kItems) {
        if (info.registryName && vxlStrNCmp(info.registryName, name, static_cast<std::size_t>(-1)) == 0)
            return &info;
    }
    return nullptr;
}
