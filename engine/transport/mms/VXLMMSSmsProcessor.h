#pragma once

#include "engine/transport/mime/VXLMessage.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/tasks/VXLStepProcessor.h"

#include <cstdint>

class CVXLMmsPdu;
class CVXLTaskProcessor;
class CVXLWspDecodeTransaction;

// Runs "MMSSMSTRANSACTION"s: a PDU that arrived by WAP push, held as the
// body of the transaction's input message, is decoded by a WSP decode
// transaction and typed by its message type. Notifications, delivery
// reports and read reports become the transaction's result PDU (whether
// they hold every field their type requires is left to the receiver); any
// other type fails with an empty result.
class CVXLMMSSmsProcessor : public CVXLStepProcessor {
public:
    CVXLMMSSmsProcessor();
    ~CVXLMMSSmsProcessor() override;

    // The decoded PDU typed by its message type (a new PDU), or null when
    // its type is none of the pushed kinds.
    static CVXLMmsPdu* typePushed(const CVXLPduRef& decoded);
    // Why pushed bytes would not give a whole PDU: null when they decode,
    // type as the transaction's would and hold every field their type
    // requires.
    static const char* pushedRefusal(const std::uint8_t* bytes, std::uint32_t length);

    // Where the decode is submitted; by default the task processor that
    // dispatched the pushed PDU.
    void setTaskProcessor(CVXLTaskProcessor* tasks) { tasks_ = tasks; }

    void init() override;
    int beginTransaction(CVXLTransaction* transaction) override;
    bool acceptsTransaction(CVXLTransaction* transaction) override;

protected:
    void finishTransaction() override;
    void onCancel() override;

private:
    void start() override;
    // The decode reported; it is the only step.
    void onStep(std::int32_t step, std::int32_t result) override;
    void release();

    CVXLTaskProcessor* tasks_ = nullptr;
    CVXLTaskProcessor* submitTo_ = nullptr;
    CVXLMessage input_;
    CVXLWspDecodeTransaction* decode_ = nullptr;
    bool cancelled_ = false;
};
