#pragma once

#include "engine/core/base/VXLCodeList.h"

#include <cstdint>

// Every result that an engine event can finish with: one name, one number,
// one meaning each. Results are stored as the Client's error code and map to
// user texts, so a number never changes and is never given a second name;
// where one number has two uses, its entry says both.
//
// Result names start with kResult, and only this list defines them
// (tools/check-codes.py checks it). A failed platform call may also hand its
// status (VXLPlatformStatus.h, a list of its own) on as a result unchanged.
//
// X(name, number, meaning)
// One entry a line, as tools/check-codes.py reads them:
// clang-format off
#define VXL_RESULT_CODES(X)                                                                              \
    X(kResultMachineStartupWaited, -4, "the start-up function waited for an event while attached")       \
    X(kResultMachineBadProgram, -3, "the program asked for something outside its stacks, code or tables") \
    X(kResultMachineAssertionFailed, -2, "the program failed an assertion (built-in \"_assert\")")       \
    X(kResultMachineRefused, -1, "a run request the machine cannot take: one runs, or no program")       \
    X(kResultSucceeded, 0, "succeeded")                                                                  \
    X(kResultStorageFailed, 1, "a storage transfer failed; also a File Store Manager without a store, a service exchange that ended before its reply was complete, and a thread address naming no shown thread (text \"Thread not found\")")   \
    X(kResultTransactionFailed, 2, "a transaction of any processor but the storage one failed")          \
    X(kResultDataComplete, 3, "a data request answered with the end of the data")                     \
    X(kResultNotFound, 4, "no such file or a refused name; also a decoder given neither bytes nor file") \
    X(kResultConnectFailed, 12, "the packet-data connection or the socket connect failed")               \
    X(kResultDataCommOff, 17, "data communication is off: nothing is uploaded")                        \
    X(kResultStoreNoRoom, 20, "the message store has no room for a message even after freeing space")   \
    X(kResultNoStream, 21, "no platform stream is free (CVXLPlatformStore::kMaxOpenStreams are open)")   \
    X(kResultAlbumEmpty, 23, "an album-contents page of an album that holds nothing")                   \
    X(kResultCancelled, 24, "cancelled, or stopped from outside")                                        \
    X(kResultHttpStatus, 50, "an HTTP reply status outside 200..299")                                    \
    X(kResultNetworkNotice, 52, "a network step's notice (with the payload kPayloadNetworkNotice); also the service's \"error\" reply and its refusal of an upload") \
    X(kResultVraxNoBoundary, 51, "a service reply whose Content-Type names no boundary")                \
    X(kResultVraxFraming, 53, "a service reply whose multipart framing is broken")                      \
    X(kResultVraxNoResult, 54, "a service reply document that gave no result")                          \
    X(kResultVraxBadErrorInfo, 55, "a service \"error\" reply whose \"error-info\" did not parse")        \
    X(kResultVraxBadChoiceList, 56, "a service list-choice alert whose list did not parse")             \
    X(kResultVraxReplyCut, 57, "the service reply data ended before a complete document or part")      \
    X(kResultUploadNotRepeated, 58, "an upload the service protocol job would not send again; also a list choice whose request may not be repeated")         \
    X(kResultMissingItem, 59, "a fetched media part whose Content-ID names no item of the batch, or whose item is gone") \
    X(kResultMalformed, 60, "an unusable URL or a malformed response")                                   \
    X(kResultMissingLength, 61, "no body length, or an empty request-body part")                         \
    X(kResultMmsTransport, 74, "an MMS exchange failed in transport, or a preview lacks the addresses it needs") \
    X(kResultMmsRelayStatus, 75, "the MMS relay answered with a status other than Ok (its text goes with it)") \
    X(kResultMessageNotStored, 76, "a local open of a message that is not stored; a part the media filter refuses") \
    X(kResultMessageCharged, 77, "the message carries a charge not yet accepted (the charge text goes with it)") \
    X(kResultNotificationBusy, 78, "a notification arrives while another one is received")             \
    X(kResultNoContentLocation, 79, "a stored message without the relay's content location")            \
    X(kResultLocalListNotOpened, 80, "a fetch from a phone or card location whose list is not open")      \
    X(kResultOnlineListNotOpened, 81, "a fetch from an online album whose list is not open")            \
    X(kResultStoreBadKind, 82, "a store request whose fullMessage is neither 0 nor 1")                   \
    X(kResultTimedOut, 65, "a network request timed out")                                                \
    X(kResultLastPage, 68, "an album-list page that is the last one")                                   \
    X(kResultOperationRunning, 89, "the data-charge notice, refused while an operation runs")            \
    X(kResultDataTrafficOff, 90, "data traffic is switched off")                                         \
    X(kResultChoiceDeclined, 94, "the user declined a service list choice")                             \
    X(kResultUploadTooLarge, 96, "an upload larger than the configured limit of its media type")      \
    X(kResultScenarioUnavailable, 95, "the scenario file holds no such scenario (text id 792)")          \
    X(kResultMediaNotResolved, 84, "a media item the Local Media Manager could not resolve for an upload") \
    X(kResultFailed, 1000, "failed")                                                                     \
    X(kResultStoreFull, 1001, "the message store is at its limit with no message it may delete; also an MMS decode or fetch that could not be submitted") \
    X(kResultNotServed, 1002, "a request code the outbound queue keeps but does not serve (37)")
// clang-format on

VXL_CODE_LIST(CVXLEventResult, kEventResultNumbers, VXL_RESULT_CODES);
