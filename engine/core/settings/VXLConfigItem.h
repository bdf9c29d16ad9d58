#pragma once

// The engine's numbered configuration items. Item N is kept in the settings
// store under "cfg.N"; the user interface sets most of them from registry
// values named in the table.
enum CVXLConfigItem : int {
    kCfgServerUri = 1,
    kCfgProxyUri = 2,
    kCfgMmscUri = 3,
    kCfgHttpUserAgent = 4,
    kCfgHttpExtraHeaders = 5,
    kCfgMobileEmail = 6,
    kCfgUserIdentity = 7,
    kCfgLanguage = 8,
    kCfgCountry = 9,
    kCfgDeviceModel = 10,
    kCfgAlbumListWindowSize = 11,
    kCfgWindowSize12 = 12,
    kCfgMediaBrowserWindowSize = 13,
    kCfgFolderListWindowSize = 14,
    kCfgMessageBrowserWindowSize = 15,
    kCfgTopCorrection = 16,
    kCfgImagePreviewWidth = 17,
    kCfgImagePreviewHeight = 18,
    kCfgImagePreviewMaxFileSize = 19,
    kCfgImagePreviewMimeType = 20,
    kCfgVideoPreviewWidth = 21,
    kCfgVideoPreviewHeight = 22,
    kCfgVideoPreviewMaxFileSize = 23,
    kCfgVideoPreviewMimeType = 24,
    kCfgImageViewWidth = 25,
    kCfgImageViewHeight = 26,
    kCfgImageViewMaxFileSize = 27,
    kCfgImageViewMimeType = 28,
    kCfgVideoViewWidth = 29,
    kCfgVideoViewHeight = 30,
    kCfgVideoViewMaxFileSize = 31,
    kCfgVideoViewMimeType = 32,
    kCfgVideoOriginalMaxFileSize = 33,
    kCfgImageOriginalMaxFileSize = 34,
    kCfgAudioMaxFileSize = 35,
    kCfgMessageImagePreviewWidth = 36,
    kCfgMessageImagePreviewHeight = 37,
    kCfgMessageImageExpandedWidth = 38,
    kCfgMessageImageExpandedHeight = 39,
    kCfgAutoDelete = 40,
    kCfgMemCardPresent = 41,
    kCfgSupportHomePrinter = 42,
    kCfgWebGuard = 43,
    kCfgCardStoreMaxNumberCards = 44,
    kCfgMaxNumNotifications = 45,
    kCfgMinMessageStoreSize = 46,
    kCfgInitialMediaFilterValue = 47,
    kCfgUploadAllMaxVideoSize = 48,
    kCfgUploadAllMaxImageSize = 49,
    kCfgItem50 = 50,
    kCfgItem51 = 51,
    kCfgItem52 = 52,
    kCfgOption53 = 53,
};

inline constexpr int kConfigItemFirst = 1;
inline constexpr int kConfigItemLast = 53;
inline constexpr int kConfigItemCount = 53;

// The settings-store prefix of every item ("cfg.1" ... "cfg.53").
inline constexpr const char* kConfigKeyPrefix = "cfg.";
