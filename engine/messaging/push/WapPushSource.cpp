#include "engine/messaging/push/WapPushSource.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/messaging/push/WapPushRequest.h"
#include "engine/transport/mms/VXLMMSSmsProcessor.h"
#include "platform/push/WspPushReader.h"

void CWapPushSource::onEvent(CVXLEvent* event)
{
    switch (event->requestCode()) {
    case kEventStart: {
        const std::uint16_t port = portGiven_ ? port_ : tessel::push::PushRouter::configuredPort();
        if (port != 0 || portGiven_) {
            if (router_.open(port))
                poll();
            else
                VXL_LOG_FAILURE("push source: port %u not opened: %s", port, router_.error().c_str());
        }
        return finishEvent(event);
    }
    case kEventStop:
        watch_.unwatch();
        cancelEvent(&readable_);
        router_.close();
        return finishEvent(event);
    case kReadable:
        finishEvent(event);
        return poll();
    default:
        return finishEvent(event);
    }
}

void CWapPushSource::poll()
{
    std::string datagram;
    for (int n = 0; n < kMaxPerPoll && router_.receive(&datagram); ++n)
        takeDatagram(datagram);
    if (router_.isOpen() && !stopRequested())
        watch_.watchDescriptor(router_.fd(), &readable_);
}

bool CWapPushSource::takeDatagram(const std::string& datagram)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(datagram.data());
    tessel::push::WspPush push;
    tessel::push::WspPushStatus status = tessel::push::WspPushStatus::TooShort;
    if (datagram.size() <= tessel::push::PushRouter::kMaxDatagram)
        status = tessel::push::readWspPush(bytes, datagram.size(), &push);
    const char* refusal = nullptr;
    if (datagram.size() > tessel::push::PushRouter::kMaxDatagram)
        refusal = "longer than a datagram may be";
    else if (status != tessel::push::WspPushStatus::Ok)
        refusal = tessel::push::wspPushStatusText(status);
    else if (!tessel::push::isMmsContentType(push.contentType))
        refusal = "not an MMS notification";
    else if (push.bodyLength == 0)
        refusal = "no data";
    else
        refusal = CVXLMMSSmsProcessor::pushedRefusal(
            bytes + push.bodyOffset, static_cast<std::uint32_t>(push.bodyLength));
    auto* request = refusal || !queue_ ? nullptr : new CWapPushRequest;
    if (request) {
        request->setReplyWanted(false);
        request->item.fetchNow = 0;
        request->item.attempts = 0;
        if (!request->item.pdu.append(bytes + push.bodyOffset, static_cast<std::uint32_t>(push.bodyLength))) {
            delete request;
            request = nullptr;
        }
    }
    if (!request) {
        ++refused_;
        VXL_LOG_FAILURE("push source: a datagram of %zu bytes dropped: %s", datagram.size(),
            refusal ? refusal : "no queue or no room");
        return false;
    }
    ++taken_;
    post(queue_, request);
    return true;
}
