#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/transport/mime/VXLEntityRef.h"
#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/tasks/VXLStepProcessor.h"

#include <cstdint>

class CVXLEventHandler;
class CVXLHttpTransaction;
class CVXLTaskProcessor;
class CVXLWspDecodeTransaction;
class CVXLWspEncodeTransaction;

// Runs "MMSTRANSACTION"s: sends a request PDU to the MMS relay and brings
// back the typed reply PDU, or fetches a message by GET. It chains
// sub-transactions through the task processor: a WSP encode, an HTTP
// exchange and a WSP decode of the reply; an MMbox view confirmation is
// followed by one decode per message descriptor, each typed in its place.
class CVXLMMSProcessor : public CVXLStepProcessor {
public:
    // Callback codes: which sub-transaction reported.
    enum Step : std::int32_t {
        kStepEncode = 0,
        kStepDecodeReply = 1,
        kStepHttp = 2,
        kStepDecodeDescriptor = 3,
    };
    enum ReplyMode : std::int32_t {
        kReplyUnsupported = 0,
        kReplyExpected = 1,
        kReplyNone = 2,
        // End with whatever reply is held (possibly none).
        kReplyHeld = 3,
    };

    CVXLMMSProcessor();
    ~CVXLMMSProcessor() override;

    // Where sub-transactions are submitted; by default the task processor
    // that dispatched the MMS transaction.
    void setTaskProcessor(CVXLTaskProcessor* tasks) { tasks_ = tasks; }

    // What the processor does with a request PDU of this kind.
    static std::int32_t replyModeOf(std::int32_t kind);

    void init() override;
    int beginTransaction(CVXLTransaction* transaction) override;
    bool acceptsTransaction(CVXLTransaction* transaction) override;

protected:
    void finishTransaction() override;
    void onCancel() override;

private:
    void start() override;
    void onStep(std::int32_t step, std::int32_t result) override;
    void encodeDone(std::int32_t result);
    void httpDone(std::int32_t result);
    void replyDecoded(std::int32_t result);
    void descriptorDecoded(std::int32_t result);
    void endReply();
    void refuseIncompleteReply();
    void decodeNextDescriptor();
    void sendHttp(const CVXLMessage& request, std::int32_t method);
    bool submit(std::int32_t step, CVXLTransaction* transaction);
    bool subTransactionRunning() const;
    void release();

    CVXLTaskProcessor* tasks_ = nullptr;
    CVXLTaskProcessor* submitTo_ = nullptr;
    CVXLPduRef requestPdu_;
    // The reply being built; for a view confirmation it is kept while its
    // descriptors are decoded.
    CVXLPduRef reply_;
    CVXLMessage descriptorMessage_;
    std::int32_t kind_ = 0;
    std::int32_t replyMode_ = kReplyUnsupported;
    // Copied from the transaction, which may go away while it runs.
    CVXLString url_;
    CVXLString responseFileName_;
    CVXLEventHandler* owner_ = nullptr;
    std::uint32_t expectedReplyLength_ = 0;
    CVXLWspEncodeTransaction* encode_ = nullptr;
    CVXLWspDecodeTransaction* decode_ = nullptr;
    CVXLHttpTransaction* http_ = nullptr;
    CVXLEntityRef responseBody_;
    std::int32_t result_ = 0;
    std::uint32_t descriptorCount_ = 0;
    std::uint32_t descriptorIndex_ = 0;
    bool cancelled_ = false;
};
