#pragma once

#include <cstdint>

// Results that a transaction's listener is told, type names by which
// processors accept transactions, and the processors' own event code.

enum VXLTransactionResult : std::int32_t {
    kTransactionSucceeded = 0,
    // Storage transfers fail with 1, every other processor with 2.
    kTransactionStorageFailed = 1,
    kTransactionFailed = 2,
    // The decoder was given neither bytes nor a file.
    kTransactionNoInput = 4,
    kTransactionCancelled = 24,
    // The HTTP reply status was outside 200 to 299.
    kTransactionHttpStatus = 50,
};

// Posted by a processor to itself when its transaction is cancelled.
inline constexpr std::int32_t kEventCancelTransaction = 0x8000003;

inline constexpr const char* kMmsTransactionType = "MMSTRANSACTION";
inline constexpr const char* kMmsSmsTransactionType = "MMSSMSTRANSACTION";
inline constexpr const char* kWspEncodeTransactionType = "WSPENCODETRANSACTION";
inline constexpr const char* kWspDecodeTransactionType = "WSPDECODETRANSACTION";
inline constexpr const char* kWspDecodeMboxDescTransactionType = "WSPDECODEMMBOXDESCTRANSACTION";
inline constexpr const char* kHttpTransactionType = "CVXLHttpTransaction";
inline constexpr const char* kReadStorageTransactionType = "CVXLReadStorageTransaction";
inline constexpr const char* kWriteStorageTransactionType = "CVXLWriteStorageTransaction";
