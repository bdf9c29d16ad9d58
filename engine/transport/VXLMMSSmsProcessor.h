#pragma once

#include "engine/core/VXLCallbackEvent.h"
#include "engine/transport/VXLMessage.h"
#include "engine/transport/VXLProcessor.h"

#include <cstdint>

class CVXLTaskProcessor;
class CVXLWspDecodeTransaction;

// Runs "MMSSMSTRANSACTION"s: a PDU that arrived by WAP push, held as the
// body of the transaction's input message, is decoded by a WSP decode
// transaction and typed by its message type. Notifications, delivery
// reports and read reports become the transaction's result PDU; any other
// type fails with an empty result.
class CVXLMMSSmsProcessor : public CVXLProcessor {
public:
    CVXLMMSSmsProcessor();
    ~CVXLMMSSmsProcessor() override;

    // Where the decode is submitted; by default the task processor that
    // dispatched the pushed PDU.
    void setTaskProcessor(CVXLTaskProcessor* tasks) { tasks_ = tasks; }

    void init() override;
    void onEvent(CVXLEvent* event) override;
    const char* name() const override;
    int beginTransaction(CVXLTransaction* transaction) override;
    bool acceptsTransaction(CVXLTransaction* transaction) override;

protected:
    void finishTransaction() override;
    void onCancel() override;

private:
    void decodeStart();
    void decodeDone(std::int32_t result);
    void release();

    CVXLTaskProcessor* tasks_ = nullptr;
    CVXLTaskProcessor* submitTo_ = nullptr;
    CVXLMessage input_;
    CVXLWspDecodeTransaction* decode_ = nullptr;
    CVXLCallbackEvent callback_;
    bool cancelled_ = false;
};
