#pragma once

// Names of the settings that engine parts share. Keys under "pers." are
// saved to "_vxl.reg"; every other key lives only while the engine runs.
inline constexpr const char* kPersVraxUrl = "vrax.url";
inline constexpr const char* kPersVraxContext = "vrax.context";
inline constexpr const char* kPersVraxPassword = "vrax.password";
inline constexpr const char* kPersVraxId = "pers.vrax.id";
inline constexpr const char* kPersVraxIdHashKey = "pers.vrax.id_hash_key";
inline constexpr const char* kPersVraxVerId = "vrax.ver_id";
inline constexpr const char* kPersVraxDataLang = "vrax.data_lang";
inline constexpr const char* kPersVraxRegComplete = "vrax.reg_complete";
inline constexpr const char* kPersItemShare = "pers.item_share";
inline constexpr const char* kPersAccountMgmt = "pers.account_mgmt";
inline constexpr const char* kPersMediaBrowse = "pers.media_browse";
inline constexpr const char* kPersBkgUploadCursor = "pers.bkg_upload_cursor";
inline constexpr const char* kPersBkgUploadRetries = "pers.bkg_upload_retries";
inline constexpr const char* kPersBkgUploadCountInphone = "pers.bkg_upload_count_inphone";
inline constexpr const char* kPersBkgUploadCountExternal = "pers.bkg_upload_count_external";
inline constexpr const char* kPersVraxMdnChanged = "vrax.mdn_changed";
inline constexpr const char* kPersShutdownFailCount = "int.fault.shutdown_fail_cnt";
inline constexpr const char* kPersDatacommActive = "int.datacomm_active";
inline constexpr const char* kPersForegroundActive = "int.foreground_active";
inline constexpr const char* kPersNetSessions = "int.net_sessions";
inline constexpr const char* kPersInboxNewCount = "inbox.new_msg_count";
inline constexpr const char* kPersInboxTotalCount = "inbox.total_msg_count";
inline constexpr const char* kPersPremiumNewCount = "premium.new_msg_count";
inline constexpr const char* kPersPremiumTotalCount = "premium.total_msg_count";
inline constexpr const char* kPersSentTotalCount = "sent.total_msg_count";
inline constexpr const char* kPersHasNewMessages = "client.has_new_messages";
inline constexpr const char* kPersProgressTotal = "int.progress_total";
inline constexpr const char* kPersProgressCurrent = "int.progress_current";
inline constexpr const char* kPersDestlistProgressTotal = "int.destlist.progress_total";
inline constexpr const char* kPersDestlistProgressCurrent = "int.destlist.progress_current";
inline constexpr const char* kPersVraxTimeLastRsp = "pers.vrax.time_last_rsp";
inline constexpr const char* kPersMessageStoreUsage = "messageStore.usage";
inline constexpr const char* kPersSeenInsufficientSpace = "pers.has_seen_insufficient_space_for_message";

inline constexpr int kPersKeyCount = 33;

// The table in its fixed order (index = key number).
inline constexpr const char* kPersKeys[kPersKeyCount] = {
    kPersVraxUrl,
    kPersVraxContext,
    kPersVraxPassword,
    kPersVraxId,
    kPersVraxIdHashKey,
    kPersVraxVerId,
    kPersVraxDataLang,
    kPersVraxRegComplete,
    kPersItemShare,
    kPersAccountMgmt,
    kPersMediaBrowse,
    kPersBkgUploadCursor,
    kPersBkgUploadRetries,
    kPersBkgUploadCountInphone,
    kPersBkgUploadCountExternal,
    kPersVraxMdnChanged,
    kPersShutdownFailCount,
    kPersDatacommActive,
    kPersForegroundActive,
    kPersNetSessions,
    kPersInboxNewCount,
    kPersInboxTotalCount,
    kPersPremiumNewCount,
    kPersPremiumTotalCount,
    kPersSentTotalCount,
    kPersHasNewMessages,
    kPersProgressTotal,
    kPersProgressCurrent,
    kPersDestlistProgressTotal,
    kPersDestlistProgressCurrent,
    kPersVraxTimeLastRsp,
    kPersMessageStoreUsage,
    kPersSeenInsufficientSpace,
};
