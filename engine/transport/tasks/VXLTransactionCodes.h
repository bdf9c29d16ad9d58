#pragma once

#include <cstdint>

// The type names by which processors accept transactions. A processor
// cancels with kEventCancelTransaction, and a transaction's listener is told
// a result of VXLResultCodes.h.

inline constexpr const char* kMmsTransactionType = "MMSTRANSACTION";
inline constexpr const char* kMmsSmsTransactionType = "MMSSMSTRANSACTION";
inline constexpr const char* kWspEncodeTransactionType = "WSPENCODETRANSACTION";
inline constexpr const char* kWspDecodeTransactionType = "WSPDECODETRANSACTION";
inline constexpr const char* kWspDecodeMboxDescTransactionType = "WSPDECODEMMBOXDESCTRANSACTION";
inline constexpr const char* kHttpTransactionType = "CVXLHttpTransaction";
inline constexpr const char* kReadStorageTransactionType = "CVXLReadStorageTransaction";
inline constexpr const char* kWriteStorageTransactionType = "CVXLWriteStorageTransaction";
