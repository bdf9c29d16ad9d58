#pragma once

#include "engine/core/base/VXLCodeList.h"

#include <cstdint>

// The engine's event codes and the reply codes that event classes fix: one
// name, one number, one meaning each, and no number twice (checked below at
// compile time), so a new code cannot quietly take one in use.
//
// Engine events are numbered from kEventStart (0x8000000) upward. Below them
// are the small reply codes that an event class fixes for its requester,
// which tells them apart from its own signals (the HTTP job's signals start
// above kReplyHttpResponse). Other small numbers are not listed here: a state
// machine's private signals (from kSignalUser), and a job's local codes, such
// as the requests only it takes (the dialer's connect and close, a
// connection's receive and send, the File Store Manager's delete, read and
// write) or the reply codes a requester picks for itself.
//
// X(name, number, meaning)
// One entry a line, as tools/check-codes.py reads them:
// clang-format off
#define VXL_EVENT_CODES(X)                                                                               \
    X(kEventNone, -1, "no code given yet")                                                               \
    X(kEventStart, 0x8000000, "starts a job")                                                            \
    X(kEventStop, 0x8000001, "stops a job")                                                              \
    X(kEventCancelNotice, 0x8000002, "tells a job that the sender cancelled a request it works on")     \
    X(kEventCancelTransaction, 0x8000003, "a processor's cancel of its transaction, posted to itself")   \
    X(kEventXferRun, 0x8000004, "runs a transfer; the source answers when it is over")                  \
    X(kEventXferClose, 0x8000005, "closes a source after a transfer, and through it its destination")  \
    X(kEventXferFinish, 0x8000006, "a source's own signal to end an unfinished transfer by an abort")   \
    X(kEventXferOpened, 0x8000007, "tells a destination that its source has opened")                   \
    X(kEventXferBegin, 0x8000008, "a source's total size; the sink answers with its chunk size")       \
    X(kEventXferData, 0x8000009, "one chunk from a source to its sink")                                 \
    X(kEventXferEnd, 0x800000a, "a source's data is complete")                                          \
    X(kEventXferAbort, 0x800000b, "a source gives up its transfer")                                     \
    X(kEventXferRunDone, 0x800000c, "the answer to kEventXferRun")                                      \
    X(kEventXferCloseDone, 0x800000d, "the answer to kEventXferClose")                                  \
    X(kEventXferBeginDone, 0x8000010, "the answer to kEventXferBegin")                                  \
    X(kEventXferDataDone, 0x8000011, "the answer to kEventXferData")                                    \
    X(kEventXferEndDone, 0x8000012, "the answer to kEventXferEnd")                                      \
    X(kEventXferAbortDone, 0x8000013, "the answer to kEventXferAbort")                                  \
    X(kEventMediaCount, 0x8000014, "the Local Media Manager's store count; the Online Media Manager's album count")       \
    X(kEventLocalFirstStore, 0x8000015, "asks the Local Media Manager for the first store")            \
    X(kEventLocalNextStore, 0x8000016, "asks the Local Media Manager for the next store")              \
    X(kEventMediaAlbumAt, 0x8000017, "the album of a store (local) or of the album list (online) at an index") \
    X(kEventLocalAlbumBySelector, 0x8000018, "asks the Local Media Manager for the album counts of a store by selector") \
    X(kEventLocalMediaRequest, 0x8000019, "a request to the Local Media Manager; also its first item name") \
    X(kEventLocalNextItemName, 0x800001a, "asks the Local Media Manager for the next item name")       \
    X(kEventLocalItemInfo, 0x800001b, "asks the Local Media Manager for an item's description")        \
    X(kEventMediaItemAt, 0x800001c, "imports the local item at an index; builds the online item at an index of an album")   \
    X(kEventLocalImportByName, 0x800001d, "asks the Local Media Manager to import an item by location and name") \
    X(kEventLocalDeleteItem, 0x800001e, "asks the Local Media Manager to delete an item and its records") \
    X(kEventOnlineDeleteAlbum, 0x800001f, "asks the Online Media Manager to delete an album")            \
    X(kEventOnlineUploadItem, 0x8000020, "asks the Online Media Manager to upload a media item")         \
    X(kEventMediaItemSave, 0x8000021, "saves a local item's record; sends an online item's changes")       \
    X(kEventOnlineCreateAlbum, 0x8000022, "asks the Online Media Manager to create an album")            \
    X(kEventOnlineRenameAlbum, 0x8000023, "asks the Online Media Manager to rename an album")            \
    X(kEventOnlineItemOperation, 0x8000024, "asks the Online Media Manager to delete, move or copy items") \
    X(kEventMediaCountDone, 0x8000025, "the answer to kEventMediaCount (the album list's length)")          \
    X(kEventMediaAlbumAtDone, 0x8000028, "the answer to kEventMediaAlbumAt")                                \
    X(kEventLocalAlbumCountsDone, 0x8000029, "the Local Media Manager's answer to kEventLocalAlbumBySelector") \
    X(kEventLocalMediaReply, 0x800002a, "the Local Media Manager's answer")                             \
    X(kEventLocalNextItemNameDone, 0x800002b, "the Local Media Manager's answer to kEventLocalNextItemName") \
    X(kEventLocalItemInfoDone, 0x800002c, "the Local Media Manager's answer to kEventLocalItemInfo")   \
    X(kEventMediaItemAtDone, 0x800002d, "the answer to kEventMediaItemAt")                                  \
    X(kEventLocalDeleteItemDone, 0x800002f, "the answer to kEventLocalDeleteItem")                           \
    X(kEventOnlineDeleteAlbumDone, 0x8000030, "the answer to kEventOnlineDeleteAlbum")                     \
    X(kEventMediaItemSaveDone, 0x8000032, "the answer to kEventMediaItemSave")                              \
    X(kEventOnlineCreateAlbumDone, 0x8000033, "the answer to kEventOnlineCreateAlbum")                     \
    X(kEventOnlineRenameAlbumDone, 0x8000034, "the answer to kEventOnlineRenameAlbum")                     \
    X(kEventFileOpenForReading, 0x800004d, "opens a file of the working folder for reading")            \
    X(kEventFileOpenForWriting, 0x800004e, "opens a file of the working folder for writing")            \
    X(kEventFileStoreOpenForReading, 0x800004f, "opens a file for reading, with two texts for the sender") \
    X(kEventStoreFileOpenForWriting, 0x8000050, "opens a stored file for writing, making room first")      \
    X(kEventStoreFileOpenForReading, 0x8000051, "opens a stored file or a body locator's window for reading") \
    X(kEventStoreTransferFileOpen, 0x8000052, "opens a transfer file of the message store for writing")   \
    X(kEventVraxAlbumList, 0x8000053, "asks the service protocol job for a page of the album list")      \
    X(kEventVraxAlbumContents, 0x8000054, "asks the service protocol job for a page of an album's contents") \
    X(kEventVraxFetchMedia, 0x8000055, "asks the service protocol job to fetch a batch of media")        \
    X(kEventOnlineUpload, 0x8000056, "asks the service protocol job to upload one media item")          \
    X(kEventVraxRegister, 0x8000057, "asks the service protocol job to register again")                 \
    X(kEventVraxMessageXfer, 0x8000059, "asks the service protocol job to send a message composed on a screen") \
    X(kEventVraxQueuedMessage, 0x800005a, "asks the service protocol job to send a queued message")     \
    X(kEventVraxContainerOperation, 0x800005b, "asks the service protocol job for an album operation")  \
    X(kEventVraxItemOperation, 0x800005c, "asks the service protocol job for an operation on items")    \
    X(kEventVraxMediaRecord, 0x800005d, "asks the service protocol job to send a media item's record")  \
    X(kEventOnlineUploadData, 0x8000058, "the service protocol job asks an upload's sink for data")     \
    X(kEventPushWrite, 0x800005e, "appends a buffer to the push-to-file adapter's open file")           \
    X(kEventHttpGet, 0x800005f, "a GET request to the HTTP job")                                        \
    X(kEventHttpPost, 0x8000060, "a POST request to the HTTP job")                                      \
    X(kEventHttpHead, 0x8000061, "a HEAD request to the HTTP job")                                      \
    X(kEventHttpBodyRequest, 0x8000062, "the HTTP job asks its requester for the next POST body part") \
    X(kEventHttpBodyData, 0x8000063, "the HTTP job hands its requester body data")                      \
    X(kEventHttpResponse, 0x8000064, "the HTTP job hands its requester the response head")              \
    X(kEventMimeParse, 0x8000066, "asks the MIME parser job to split a message's text containers")      \
    X(kEventMimeParseDone, 0x8000067, "the MIME parser job's answer")                                   \
    X(kEventStoreCount, 0x8000039, "asks the message store for a box's counts and the free budget")      \
    X(kEventStoreIdList, 0x800003a, "asks the message store for a window of a box's ids")                \
    X(kEventStoreParts, 0x800003b, "asks the message store for the headers of a message's parts")        \
    X(kEventStoreRead, 0x800003c, "asks the message store to read a stored message")                     \
    X(kEventStoreMessage, 0x800003d, "asks the message store to store a message")                        \
    X(kEventStoreDelete, 0x800003e, "asks the message store to delete a stored message")                 \
    X(kEventStoreMmboxPurge, 0x800003f, "asks the message store to delete the relay mailbox copies")     \
    X(kEventStoreWipe, 0x8000040, "asks the message store to delete every stored file")                  \
    X(kEventStoreSummaryRewrite, 0x8000042, "asks the message store to replace a message's summary")     \
    X(kEventStoreCountDone, 0x8000043, "the message store's answer to kEventStoreCount")                 \
    X(kEventStoreIdListDone, 0x8000044, "the message store's answer to kEventStoreIdList")               \
    X(kEventStorePartsDone, 0x8000045, "the message store's answer to kEventStoreParts")                 \
    X(kEventStoreReadDone, 0x8000046, "the message store's answer to kEventStoreRead")                   \
    X(kEventStoreMessageDone, 0x8000047, "the message store's answer to kEventStoreMessage")             \
    X(kEventStoreDeleteDone, 0x8000048, "the message store's answer to kEventStoreDelete")               \
    X(kEventStoreMmboxPurgeDone, 0x8000049, "the message store's answer to kEventStoreMmboxPurge")       \
    X(kEventStoreWipeDone, 0x800004a, "the message store's answer to kEventStoreWipe")                   \
    X(kEventStoreSummaryRewriteDone, 0x800004c, "the message store's answer to kEventStoreSummaryRewrite") \
    X(kEventMessageBoxList, 0x8000036, "asks the inbound manager for a window of a message box")        \
    X(kEventMessageItem, 0x8000037, "asks the inbound manager for one stored message's summary")       \
    X(kEventFileCopy, 0x8000065, "asks the file copy job to copy a byte range of a file")             \
    X(kEventSegmentRead, 0x8000069, "asks the segment reader for segments of a stored message")       \
    X(kEventSegmentReadDone, 0x800006a, "the segment reader's answer when it has finished")           \
    X(kEventSegment, 0x800006b, "the segment reader hands its requester one segment")                 \
    X(kEventSegmentDone, 0x800006c, "the requester's answer to kEventSegment")                        \
    X(kEventMediaUpload, 0x8000068, "asks the Media Upload or Background Upload Manager to upload a list of media") \
    X(kEventOutboundSend, 0x800006d, "asks the outbound sender to send one queued message")           \
    X(kEventOutboundSendResult, 0x800006f, "the outbound sender tells the queue how a send ended")     \
    X(kEventScenarioReload, 2, "asks the Scenario Manager to load the configuration file again")     \
    X(kEventMessageDecision, 115, "the inbound manager asks the Producer whether to fetch a message now") \
    X(kEventMessageArrived, 109, "the inbound manager tells the Producer of a message that arrived")     \
    X(kEventFailedMessageReport, 114, "the outbound queue tells the Producer of messages that could not be sent") \
    X(kEventSentCopyReceived, 39, "the inbound manager tells the outbound queue of a copy of a sent message") \
    X(kEventVraxPasswordPrompt, 112, "the service protocol job asks the Producer for the password")      \
    X(kEventVraxChoicePrompt, 113, "the service protocol job asks the Producer for a list choice")      \
    X(kReplyVraxPasswordPrompt, 12, "the Producer's answer to kEventVraxPasswordPrompt, with the text")  \
    X(kReplyVraxChoicePrompt, 13, "the Producer's answer to kEventVraxChoicePrompt, with the choice")    \
    X(kReplyScenarioReload, 20, "the Scenario Manager's answer to kEventScenarioReload")                 \
    X(kReplyNetConnect, 4, "the dialer's answer to a connect request")                                  \
    X(kReplyNetReceive, 5, "a connection's answer to a receive request")                                \
    X(kReplyNetSend, 6, "a connection's answer to a send request")                                      \
    X(kReplyNetClose, 7, "the dialer's answer to a close request")                                      \
    X(kReplyHttpBodyData, 8, "the requester's answer to kEventHttpBodyData")                            \
    X(kReplyHttpBodyRequest, 9, "the requester's answer to kEventHttpBodyRequest, with the part")      \
    X(kReplyHttpResponse, 10, "the requester's answer to kEventHttpResponse")                           \
    X(kReplyPushOpen, 24, "the push-to-file adapter's answer to an open request")                       \
    X(kReplyPushClose, 25, "the push-to-file adapter's answer to a close request")                      \
    X(kReplyPushWrite, 28, "the push-to-file adapter's answer to kEventPushWrite")
// clang-format on

VXL_CODE_LIST(CVXLEventCode, kEventCodeNumbers, VXL_EVENT_CODES);
