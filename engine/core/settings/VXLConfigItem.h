#pragma once

#include "engine/core/base/VXLCodeList.h"

#include <cstdint>

// The engine's numbered configuration items. Item N is kept in the settings
// store under "cfg.N"; the user interface sets most of them from registry
// values named in the table.
// X(name, number, meaning); names starting with kCfg are defined only here
// (tools/check-codes.py checks it).
// One entry a line, as tools/check-codes.py reads them:
// clang-format off
#define VXL_CONFIG_ITEMS(X)                                                \
    X(kCfgServerUri, 1, "server uri")                                      \
    X(kCfgProxyUri, 2, "proxy uri")                                        \
    X(kCfgMmscUri, 3, "mmsc uri")                                          \
    X(kCfgHttpUserAgent, 4, "http user agent")                             \
    X(kCfgHttpExtraHeaders, 5, "http extra headers")                       \
    X(kCfgMobileEmail, 6, "mobile email")                                  \
    X(kCfgUserIdentity, 7, "user identity")                                \
    X(kCfgLanguage, 8, "language")                                         \
    X(kCfgCountry, 9, "country")                                           \
    X(kCfgDeviceModel, 10, "device model")                                 \
    X(kCfgAlbumListWindowSize, 11, "album list window size")               \
    X(kCfgWindowSize12, 12, "window size12")                               \
    X(kCfgMediaBrowserWindowSize, 13, "media browser window size")         \
    X(kCfgFolderListWindowSize, 14, "folder list window size")             \
    X(kCfgMessageBrowserWindowSize, 15, "message browser window size")     \
    X(kCfgTopCorrection, 16, "top correction")                             \
    X(kCfgImagePreviewWidth, 17, "image preview width")                    \
    X(kCfgImagePreviewHeight, 18, "image preview height")                  \
    X(kCfgImagePreviewMaxFileSize, 19, "image preview max file size")      \
    X(kCfgImagePreviewMimeType, 20, "image preview mime type")             \
    X(kCfgVideoPreviewWidth, 21, "video preview width")                    \
    X(kCfgVideoPreviewHeight, 22, "video preview height")                  \
    X(kCfgVideoPreviewMaxFileSize, 23, "video preview max file size")      \
    X(kCfgVideoPreviewMimeType, 24, "video preview mime type")             \
    X(kCfgImageViewWidth, 25, "image view width")                          \
    X(kCfgImageViewHeight, 26, "image view height")                        \
    X(kCfgImageViewMaxFileSize, 27, "image view max file size")            \
    X(kCfgImageViewMimeType, 28, "image view mime type")                   \
    X(kCfgVideoViewWidth, 29, "video view width")                          \
    X(kCfgVideoViewHeight, 30, "video view height")                        \
    X(kCfgVideoViewMaxFileSize, 31, "video view max file size")            \
    X(kCfgVideoViewMimeType, 32, "video view mime type")                   \
    X(kCfgVideoOriginalMaxFileSize, 33, "video original max file size")    \
    X(kCfgImageOriginalMaxFileSize, 34, "image original max file size")    \
    X(kCfgAudioMaxFileSize, 35, "audio max file size")                     \
    X(kCfgMessageImagePreviewWidth, 36, "message image preview width")     \
    X(kCfgMessageImagePreviewHeight, 37, "message image preview height")   \
    X(kCfgMessageImageExpandedWidth, 38, "message image expanded width")   \
    X(kCfgMessageImageExpandedHeight, 39, "message image expanded height") \
    X(kCfgAutoDelete, 40, "auto delete")                                   \
    X(kCfgMemCardPresent, 41, "mem card present")                          \
    X(kCfgSupportHomePrinter, 42, "support home printer")                  \
    X(kCfgWebGuard, 43, "web guard")                                       \
    X(kCfgCardStoreMaxNumberCards, 44, "card store max number cards")      \
    X(kCfgMaxNumNotifications, 45, "max num notifications")                \
    X(kCfgMinMessageStoreSize, 46, "min message store size")               \
    X(kCfgInitialMediaFilterValue, 47, "initial media filter value")       \
    X(kCfgUploadAllMaxVideoSize, 48, "upload all max video size")          \
    X(kCfgUploadAllMaxImageSize, 49, "upload all max image size")          \
    X(kCfgItem50, 50, "item50")                                            \
    X(kCfgItem51, 51, "item51")                                            \
    X(kCfgItem52, 52, "item52")                                            \
    X(kCfgOption53, 53, "option53")
// clang-format on

VXL_CODE_LIST(CVXLConfigItem, kConfigItemNumbers, VXL_CONFIG_ITEMS);

inline constexpr int kConfigItemFirst = 1;
inline constexpr int kConfigItemLast = 53;
inline constexpr int kConfigItemCount = 53;

// The settings-store prefix of every item ("cfg.1" ... "cfg.53").
inline constexpr const char* kConfigKeyPrefix = "cfg.";
