#include "engine/transport/net/VXLNetworkDialer.h"

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/platform/VXLPlatformFactory.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/transport/net/VXLCloseRequest.h"
#include "engine/transport/net/VXLConnectRequest.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/net/VXLNetworkConnection.h"

namespace {

std::uint16_t toNetworkOrder(std::uint16_t port)
{
    return static_cast<std::uint16_t>((port >> 8) | (port << 8));
}

} // namespace

CVXLNetworkDialer::CVXLNetworkDialer(CVXLPlatformFactory* factory, const CVXLHttpSettings* settings)
    : CVXLNetworkJob(&CVXLNetworkDialer::initial, settings)
    , callback_(this, kSigDialResult)
    , lookup_(this, kSigResolved)
    , connectReady_(this, kSigConnectReady)
    , factory_(factory)
{
}

CVXLNetworkDialer::~CVXLNetworkDialer()
{
    for (std::uint32_t i = 0; i < connectionCount_; ++i) {
        CVXLPlatformConnection* socket = connections_[i]->socket();
        delete connections_[i];
        if (factory_)
            factory_->destroyNetworkConnection(socket);
    }
    connectionCount_ = 0;
    destroyHeldSocket();
    if (dataConnection_) {
        if (online_)
            dataConnection_->cleanup(nullptr);
        if (factory_)
            factory_->destroyNetworkConnection(dataConnection_);
    }
}

void CVXLNetworkDialer::init()
{
    if (!dataConnection_ && factory_)
        dataConnection_ = factory_->createNetworkConnection();
}

void CVXLNetworkDialer::childFinished(CVXLEventHandler* child)
{
    childEnded_.setSubject(child);
    post(this, &childEnded_);
}

// A stop that a state did not take is offered again after the next event.
void CVXLNetworkDialer::afterEvent(CVXLEvent* event)
{
    if (stopDeferred_ && event != &stopEvent()) {
        stopDeferred_ = false;
        dispatch(&stopEvent());
    }
}

bool CVXLNetworkDialer::takesRequests()
{
    return isIn(&CVXLNetworkDialer::Offline) || isIn(&CVXLNetworkDialer::Online)
        || isIn(&CVXLNetworkDialer::Lingering);
}

// Answers 90 at once when data traffic is off; otherwise the request becomes
// the current one.
bool CVXLNetworkDialer::takeConnect(const CVXLEvent* e)
{
    auto* request = static_cast<CVXLConnectRequest*>(const_cast<CVXLEvent*>(e));
    if (trafficOff()) {
        answer(request, kResultDataTrafficOff);
        return false;
    }
    if (!dataConnection_) {
        answer(request, kResultConnectFailed);
        return false;
    }
    request->connection = nullptr;
    current_ = request;
    return true;
}

void CVXLNetworkDialer::postEntryStep()
{
    postStep(kSigStep, kResultSucceeded);
}

void CVXLNetworkDialer::postStep(std::int32_t code, std::int32_t result)
{
    step_.setRequestCode(code);
    step_.setReplyCode(code);
    step_.setResult(result);
    post(this, &step_);
}

void CVXLNetworkDialer::armTimeout(std::int32_t code, std::uint32_t delay)
{
    timeoutTimer_.setRequestCode(code);
    timeoutTimer_.setReplyCode(code);
    postDelayed(&timeoutTimer_, delay);
}

void CVXLNetworkDialer::setCallbackCode(std::int32_t code)
{
    callback_.setRequestCode(code);
    callback_.setReplyCode(code);
}

// A socket the factory cannot make fails like a refused connect.
void CVXLNetworkDialer::connectSocket()
{
    auto* request = static_cast<CVXLConnectRequest*>(current_);
    if (!socket_ && factory_)
        socket_ = factory_->createNetworkConnection();
    setCallbackCode(kSigConnectResult);
    if (!socket_ || !request) {
        callback_.call(kPlatformConnectFailed);
        return;
    }
    if (request->hostName.length() != 0 && request->address == 0)
        return socket_->resolve(request->hostName.c_str(), &lookup_);
    socket_->connect(request->address, toNetworkOrder(request->port), &callback_);
}

// A name that has no address fails like a refused connect.
void CVXLNetworkDialer::lookedUp(std::uint32_t address)
{
    auto* request = static_cast<CVXLConnectRequest*>(current_);
    if (address == 0 || !request) {
        setCallbackCode(kSigConnectResult);
        callback_.call(kPlatformConnectFailed);
        return;
    }
    request->address = address;
    connectSocket();
}

void CVXLNetworkDialer::closeDataConnection()
{
    setCallbackCode(kSigSocketClosed);
    dataConnection_->close(&callback_);
}

void CVXLNetworkDialer::hangUp()
{
    setCallbackCode(kSigHungUp);
    dataConnection_->cleanup(&callback_);
}

void CVXLNetworkDialer::armLinger()
{
    armTimeout(kSigLingerTimeout, lingerTime_);
}

void CVXLNetworkDialer::closeHeldSocket()
{
    setCallbackCode(kSigSocketClosed);
    if (socket_)
        socket_->close(&callback_);
    else
        callback_.call(kPlatformOk);
}

void CVXLNetworkDialer::destroyHeldSocket()
{
    if (socket_ && factory_)
        factory_->destroyNetworkConnection(socket_);
    socket_ = nullptr;
}

void CVXLNetworkDialer::wrapSocket()
{
    auto* request = static_cast<CVXLConnectRequest*>(current_);
    auto* connection
        = connectionCount_ < kMaxConnections ? new CVXLNetworkConnection(socket_, settings_) : nullptr;
    if (!connection) {
        answerCurrent(kResultConnectFailed);
        closeHeldSocket();
        return;
    }
    socket_ = nullptr;
    startChild(connection);
    connections_[connectionCount_++] = connection;
    if (request)
        request->connection = connection;
    answerCurrent(kResultSucceeded);
}

CVXLNetworkConnection* CVXLNetworkDialer::findConnection(const CVXLEventHandler* face) const
{
    for (std::uint32_t i = 0; i < connectionCount_; ++i) {
        if (static_cast<const CVXLEventHandler*>(connections_[i]) == face)
            return connections_[i];
    }
    return nullptr;
}

void CVXLNetworkDialer::stopReleased()
{
    if (released_)
        released_->stop();
}

void CVXLNetworkDialer::stopFirstConnection()
{
    released_ = connections_[0];
    stopReleased();
}

void CVXLNetworkDialer::shutReleased()
{
    setCallbackCode(kSigSocketShut);
    CVXLPlatformConnection* socket = released_ ? released_->socket() : nullptr;
    if (socket)
        socket->close(&callback_);
    else
        callback_.call(kPlatformOk);
}

void CVXLNetworkDialer::deleteReleased()
{
    if (!released_)
        return;
    for (std::uint32_t i = 0; i < connectionCount_; ++i) {
        if (connections_[i] != released_)
            continue;
        connections_[i] = connections_[--connectionCount_];
        connections_[connectionCount_] = nullptr;
        break;
    }
    CVXLPlatformConnection* socket = released_->socket();
    delete released_;
    released_ = nullptr;
    if (factory_)
        factory_->destroyNetworkConnection(socket);
}

// Without the socket of the last connect or release: the packet-data
// connection lingers once no connection is left.
CVXLHsmState CVXLNetworkDialer::leaveWithoutSocket()
{
    return transition(hasConnections() ? &CVXLNetworkDialer::Online : &CVXLNetworkDialer::LingerStart);
}

CVXLHsmState CVXLNetworkDialer::stopNextConnection()
{
    return transition(hasConnections() ? &CVXLNetworkDialer::StoppingAll : &CVXLNetworkDialer::StopHangUp);
}

// The entry posts the step; the step starts the action whose answer next
// waits for, and moves to next.
CVXLHsmState CVXLNetworkDialer::stepThen(const CVXLEvent* e, State next, void (CVXLNetworkDialer::*action)())
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postEntryStep();
        return handled();
    case kSigStep:
        (this->*action)();
        return transition(next);
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::initial(const CVXLEvent*)
{
    setState(&CVXLNetworkDialer::Offline);
    return handled();
}

// A stop that arrives between two steps of a state that does not take it is
// kept and offered again after the next event.
CVXLHsmState CVXLNetworkDialer::Root(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        setState(&CVXLNetworkDialer::Offline);
        return handled();
    case kEventStop:
        stopDeferred_ = true;
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLNetworkDialer::Offline(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        online_ = false;
        return handled();
    case kConnectRequest:
        if (!takeConnect(e))
            return handled();
        return transition(&CVXLNetworkDialer::Dialing);
    case kEventStop:
        return transition(&CVXLNetworkDialer::Stopped);
    }
    return super(&CVXLNetworkDialer::Root);
}

// A cancel or stop before the dial began has nothing to undo.
CVXLHsmState CVXLNetworkDialer::Dialing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postEntryStep();
        return handled();
    case kSigStep:
        setCallbackCode(kSigDialResult);
        ++dialCount_;
        armTimeout(kSigDialTimeout, dialTimeout_);
        dataConnection_->start(&callback_);
        return transition(&CVXLNetworkDialer::AwaitingDial);
    case kEventCancelNotice:
        answerCurrent(kResultCancelled);
        cancelEvent(&step_);
        return transition(&CVXLNetworkDialer::Offline);
    case kEventStop:
        answerCurrent(kResultCancelled);
        cancelEvent(&step_);
        return transition(&CVXLNetworkDialer::Stopped);
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::AwaitingDial(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigDialResult:
        cancelEvent(&timeoutTimer_);
        if (e->result() == kResultSucceeded)
            postStep(kSigDialed, kResultSucceeded);
        else
            postStep(kSigDialFailed, e->result());
        return handled();
    case kSigDialed:
        online_ = true;
        return transition(&CVXLNetworkDialer::OpeningSocket);
    case kSigDialFailed:
        answerCurrent(e->result());
        return transition(&CVXLNetworkDialer::Offline);
    case kSigDialTimeout:
        answerCurrent(kResultTimedOut);
        return transition(&CVXLNetworkDialer::Offline);
    case kEventStop:
        cancelEvent(&timeoutTimer_);
        answerCurrent(kResultCancelled);
        return transition(&CVXLNetworkDialer::StopDialing);
    case kEventCancelNotice:
        answerCurrent(kResultCancelled);
        current_ = const_cast<CVXLEvent*>(e);
        cancelEvent(&timeoutTimer_);
        return transition(&CVXLNetworkDialer::CancelDialing);
    }
    return super(&CVXLNetworkDialer::Root);
}

// Before its step the state has not touched the socket; a cancel or stop is
// handled as while connecting.
CVXLHsmState CVXLNetworkDialer::OpeningSocket(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postEntryStep();
        return handled();
    case kSigStep:
        armTimeout(kSigConnectTimeout, connectTimeout_);
        connectSocket();
        return transition(&CVXLNetworkDialer::Connecting);
    case kEventStop:
    case kEventCancelNotice:
        cancelEvent(&step_);
        return Connecting(e);
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::Connecting(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalExit:
        cancelEvent(&lookup_);
        return handled();
    case kSigResolved:
        lookedUp(static_cast<std::uint32_t>(e->result()));
        return handled();
    case kSigConnectResult:
        cancelEvent(&timeoutTimer_);
        if (e->result() == static_cast<std::int32_t>(kPlatformConnectUnderWay) && retryCount_ < retryLimit_)
            return transition(&CVXLNetworkDialer::RetryWait);
        if (e->result() == static_cast<std::int32_t>(kPlatformOk))
            postStep(kSigConnected, kResultSucceeded);
        else if (e->result() == static_cast<std::int32_t>(kPlatformConnectUnderWay))
            postStep(kSigConnectFailed, kResultConnectFailed);
        else
            postStep(kSigConnectFailed, e->result());
        return handled();
    case kSigConnected:
        retryCount_ = 0;
        wrapSocket();
        return transition(&CVXLNetworkDialer::Online);
    case kSigConnectFailed:
        answerCurrent(e->result());
        destroyHeldSocket();
        retryCount_ = 0;
        return leaveWithoutSocket();
    case kSigConnectTimeout:
        answerCurrent(kResultTimedOut);
        retryCount_ = 0;
        return transition(&CVXLNetworkDialer::ClosingSocket);
    case kEventStop:
        cancelEvent(&timeoutTimer_);
        answerCurrent(kResultCancelled);
        retryCount_ = 0;
        return transition(&CVXLNetworkDialer::StopConnecting);
    case kEventCancelNotice:
        cancelEvent(&timeoutTimer_);
        answerCurrent(kResultCancelled);
        current_ = const_cast<CVXLEvent*>(e);
        retryCount_ = 0;
        return transition(&CVXLNetworkDialer::ClosingSocket);
    }
    return super(&CVXLNetworkDialer::Root);
}

// Stop, cancel and the connect time-out are handled as while connecting.
CVXLHsmState CVXLNetworkDialer::RetryWait(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postDelayed(&retryTimer_, retryDelay_);
        if (socket_)
            socket_->watch(CVXLPlatformConnection::Readiness::Writable, &connectReady_);
        return handled();
    case kSignalExit:
        cancelEvent(&retryTimer_);
        cancelEvent(&connectReady_);
        if (socket_)
            socket_->unwatch();
        return handled();
    case kSigConnectReady:
    case kSigRetryTimer:
        ++retryCount_;
        return transition(&CVXLNetworkDialer::OpeningSocket);
    case kSigConnectTimeout:
    case kEventStop:
    case kEventCancelNotice:
        return Connecting(e);
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::ClosingSocket(const CVXLEvent* e)
{
    return stepThen(e, &CVXLNetworkDialer::SocketClosed, &CVXLNetworkDialer::closeHeldSocket);
}

CVXLHsmState CVXLNetworkDialer::SocketClosed(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSocketClosed:
        answerCurrent(kResultSucceeded);
        destroyHeldSocket();
        return leaveWithoutSocket();
    case kEventStop:
        answerCurrent(kResultSucceeded);
        return transition(&CVXLNetworkDialer::StopAfterSocket);
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::Online(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kConnectRequest:
        if (!takeConnect(e))
            return handled();
        return transition(&CVXLNetworkDialer::OpeningSocket);
    case kCloseRequest:
        current_ = const_cast<CVXLEvent*>(e);
        return transition(&CVXLNetworkDialer::Releasing);
    case kEventStop:
        return transition(&CVXLNetworkDialer::StoppingAll);
    }
    return super(&CVXLNetworkDialer::Root);
}

// A close request for a connection that is not ours has nothing to release.
CVXLHsmState CVXLNetworkDialer::Releasing(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        postEntryStep();
        return handled();
    case kSigStep: {
        auto* request = static_cast<CVXLCloseRequest*>(current_);
        released_ = request ? findConnection(request->connection) : nullptr;
        if (!released_) {
            answerCurrent(kResultSucceeded);
            return transition(&CVXLNetworkDialer::Online);
        }
        stopReleased();
        return transition(&CVXLNetworkDialer::AwaitingRelease);
    }
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::AwaitingRelease(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigChildEnded:
        return transition(&CVXLNetworkDialer::ShuttingSocket);
    case kEventCancelNotice:
        answer(const_cast<CVXLEvent*>(e), kResultSucceeded);
        return handled();
    case kEventStop:
        answerCurrent(kResultSucceeded);
        return transition(&CVXLNetworkDialer::StopAwaitRelease);
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::ShuttingSocket(const CVXLEvent* e)
{
    return stepThen(e, &CVXLNetworkDialer::SocketShut, &CVXLNetworkDialer::shutReleased);
}

CVXLHsmState CVXLNetworkDialer::SocketShut(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSocketShut:
        deleteReleased();
        answerCurrent(kResultSucceeded);
        return leaveWithoutSocket();
    case kEventCancelNotice:
        answer(const_cast<CVXLEvent*>(e), kResultSucceeded);
        return handled();
    case kEventStop:
        answerCurrent(kResultSucceeded);
        return transition(&CVXLNetworkDialer::StopShutSocket);
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::LingerStart(const CVXLEvent* e)
{
    return stepThen(e, &CVXLNetworkDialer::Lingering, &CVXLNetworkDialer::armLinger);
}

CVXLHsmState CVXLNetworkDialer::Lingering(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kConnectRequest:
        if (!takeConnect(e))
            return handled();
        cancelEvent(&timeoutTimer_);
        return transition(&CVXLNetworkDialer::OpeningSocket);
    case kSigLingerTimeout:
        return transition(&CVXLNetworkDialer::HangingUp);
    case kEventStop:
        cancelEvent(&timeoutTimer_);
        return transition(&CVXLNetworkDialer::StopHangUp);
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::HangingUp(const CVXLEvent* e)
{
    return stepThen(e, &CVXLNetworkDialer::AwaitingHangUp, &CVXLNetworkDialer::hangUp);
}

CVXLHsmState CVXLNetworkDialer::AwaitingHangUp(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigHungUp:
        return transition(&CVXLNetworkDialer::Offline);
    case kEventStop:
        return transition(&CVXLNetworkDialer::StopAwaitHangUp);
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::CancelDialing(const CVXLEvent* e)
{
    return stepThen(e, &CVXLNetworkDialer::AfterCancelDial, &CVXLNetworkDialer::closeDataConnection);
}

CVXLHsmState CVXLNetworkDialer::AfterCancelDial(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSocketClosed:
        answerCurrent(kResultSucceeded);
        return transition(&CVXLNetworkDialer::Offline);
    case kEventStop:
        answerCurrent(kResultSucceeded);
        return transition(&CVXLNetworkDialer::StopAfterDial);
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::StopDialing(const CVXLEvent* e)
{
    return stepThen(e, &CVXLNetworkDialer::StopAfterDial, &CVXLNetworkDialer::closeDataConnection);
}

CVXLHsmState CVXLNetworkDialer::StopAfterDial(const CVXLEvent* e)
{
    if (signalOf(e) == kSigSocketClosed)
        return transition(&CVXLNetworkDialer::Stopped);
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::StopConnecting(const CVXLEvent* e)
{
    return stepThen(e, &CVXLNetworkDialer::StopAfterSocket, &CVXLNetworkDialer::closeHeldSocket);
}

CVXLHsmState CVXLNetworkDialer::StopAfterSocket(const CVXLEvent* e)
{
    if (signalOf(e) == kSigSocketClosed) {
        destroyHeldSocket();
        return stopNextConnection();
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::StoppingAll(const CVXLEvent* e)
{
    return stepThen(e, &CVXLNetworkDialer::StopAwaitRelease, &CVXLNetworkDialer::stopFirstConnection);
}

CVXLHsmState CVXLNetworkDialer::StopAwaitRelease(const CVXLEvent* e)
{
    if (signalOf(e) == kSigChildEnded)
        return transition(&CVXLNetworkDialer::StopShutting);
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::StopShutting(const CVXLEvent* e)
{
    return stepThen(e, &CVXLNetworkDialer::StopShutSocket, &CVXLNetworkDialer::shutReleased);
}

CVXLHsmState CVXLNetworkDialer::StopShutSocket(const CVXLEvent* e)
{
    if (signalOf(e) == kSigSocketShut) {
        deleteReleased();
        return stopNextConnection();
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::StopHangUp(const CVXLEvent* e)
{
    return stepThen(e, &CVXLNetworkDialer::StopAwaitHangUp, &CVXLNetworkDialer::hangUp);
}

CVXLHsmState CVXLNetworkDialer::StopAwaitHangUp(const CVXLEvent* e)
{
    if (signalOf(e) == kSigHungUp) {
        online_ = false;
        return transition(&CVXLNetworkDialer::Stopped);
    }
    return super(&CVXLNetworkDialer::Root);
}

CVXLHsmState CVXLNetworkDialer::Stopped(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        finishEvent(&stopEvent());
        return handled();
    }
    return super(&CVXLNetworkDialer::Root);
}
