#pragma once

#include "engine/core/jobs/VXLEventHandler.h"

#include <cstdint>

class CMediaAccessRequest;
class CMediaFetchRequest;
class CVXLMediaItem;

// What the Media Access Manager's three member jobs share: the media manager
// they talk to, the one job request they serve at a time, and the answer to
// it. Codes a job does not know are completed at once.
class CMediaMemberJob : public CVXLEventHandler {
public:
    void setMediaManager(CVXLEventHandler* manager) { mediaManager_ = manager; }
    CVXLEventHandler* mediaManager() const { return mediaManager_; }
    void onEvent(CVXLEvent* event) override;

protected:
    // A request of the Media Access Manager; the job keeps it as current.
    virtual void onRequest(CMediaAccessRequest* request) = 0;
    // The media manager's answer to the job's own request.
    virtual void onReply(CVXLEvent* reply) = 0;
    virtual void onStarted() { }
    // A cancel notice for the current request; the default ends the traffic
    // with the media manager and answers the request with 24.
    virtual void onCancel();

    CMediaAccessRequest* current() const { return current_; }
    void serve(CMediaAccessRequest* request) { current_ = request; }
    // Answers the current request.
    void complete(std::int32_t result, const CVXLString& text = CVXLString());
    // The screen's request that a job request serves; null for none.
    static CMediaAccessRequest* originOf(CMediaAccessRequest* request);
    // The fetch to serve, or null once the request is answered: 1000 for
    // another class, `notOpened` while no list is open.
    CMediaFetchRequest* takeFetch(CMediaAccessRequest* request, bool opened, std::int32_t notOpened);
    // The item whose changes are saved, or null once answered with 1000.
    CVXLMediaItem* itemToSave(CMediaAccessRequest* request);
    // Answers the current fetch with the item the media manager built.
    void answerFetch(CVXLMediaItem* item, std::int32_t result, const CVXLString& text);
    // Sends one of the job's own requests to the media manager; false (and
    // the current request failed) without one.
    bool ask(CVXLEvent* request);

private:
    CVXLEventHandler* mediaManager_ = nullptr;
    CMediaAccessRequest* current_ = nullptr;
};
