#pragma once

#include "engine/core/base/VXLCodeList.h"

#include <cstdint>

// The user-interface request codes: queued in the Client's FIFO by the user
// interface and by engine parts, and broadcast to every job (onUiRequest) at
// the next tick. One name, one number, one meaning each; where one number
// has several uses, its entry says them all. Names starting with kUIRequest
// are defined only here (tools/check-codes.py checks it).
//
// X(name, number, meaning)
// One entry a line, as tools/check-codes.py reads them:
// clang-format off
#define VXL_UI_REQUEST_CODES(X)                                                                                   \
    X(kUIRequestNone, 0, "no code: what an empty FIFO gives")                                                     \
    X(kUIRequestDataCommOff, 1, "data communication off: outgoing work stops")                                   \
    X(kUIRequestDataCommOn, 2, "data communication on: the outbound queue and the background upload look again") \
    X(kUIRequestBackground, 3, "the program went to the background")                                             \
    X(kUIRequestForeground, 4, "the program came to the foreground")                                             \
    X(kUIRequestMemoryCardChanged, 5, "a memory card came or went: the Media Store Manager rebuilds its stores, the media-kind menu its entries")  \
    X(kUIRequestActivityBegan, 6, "the user began an activity: outgoing work waits")                             \
    X(kUIRequestActivityEnded, 7, "the user's activity ended: outgoing work looks again")                        \
    X(kUIRequestScreenFlowNotice, 8, "a screen flow showed, updated or released its layout; the inbound manager cancels what it serves, a message summary job's Back ends its wait") \
    X(kUIRequestOutboxChanged, 9, "the outbound queue changed: the outbox lists and the folder list load again")                     \
    X(kUIRequestStoresChanged, 10, "the Media Store Manager's list of stores changed")                            \
    X(kUIRequestNotificationStored, 11, "a notification's preview was stored; a fetch's progress begins")         \
    X(kUIRequestFetchStarted, 12, "a whole message is being fetched from the relay (progress)")                   \
    X(kUIRequestMediaChanged, 13, "media items changed in the Media Access Manager's lists")                      \
    X(kUIRequestMenuChanged, 14, "the main menu is refreshed: the Client fetches the destination list again and prunes the cool sites")                          \
    X(kUIRequestMessagesChanged, 15, "an outbox entry was deleted; the message and thread lists load again")      \
    X(kUIRequestPushPayload, 16, "the Client has handled a push and the Producer handed its payload on; the message and thread lists load again, a message summary job ends its wait")
// clang-format on

VXL_CODE_LIST(UIRequestCode, kUIRequestCodeNumbers, VXL_UI_REQUEST_CODES);
