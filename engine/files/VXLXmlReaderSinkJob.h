#pragma once

#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/xml/VXLXmlReader.h"
#include "engine/transfer/VXLXferJobBase.h"

#include <cstdint>

// A data sink that feeds every byte it receives to its XML reader, whose
// callbacks it leaves to its subclass. The owner names the source job, and
// beginReading() runs one transfer from it; readingFinished() then reports,
// once, 0 for a whole well-formed document, 24 when the reading was stopped
// (stopReading(), or a stop of the job itself), 1000 for a malformed one, or
// the transfer's failure.
//
// A beginReading() while a reading is still under way stops that one and
// starts again when it has wound down; only the new reading is reported.
// A job that is reading is stopped, not deleted, by its owner: the stop
// waits until the source has let go of it.
class CVXLXmlReaderSinkJob : public CVXLXferJobBase {
public:
    CVXLXmlReaderSinkJob();
    ~CVXLXmlReaderSinkJob() override;

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLXmlReaderSinkJob"; }
    void onBegin(std::int32_t total) override;
    void onData(const CVXLByteBuffer& buffer) override;
    void onEnd(bool complete) override;

    void beginReading();
    // Safe from a reader callback: no further callback follows.
    void stopReading();
    bool isReading() const { return reading_; }

    void setSource(CVXLXferJobBase* source) { source_ = source; }
    CVXLXferJobBase* source() const { return source_; }
    // The reader, for its element path while it calls back.
    const CVXLXmlReader& reader() const { return reader_; }

protected:
    virtual void onElement(const CVXLString& name, bool start) = 0;
    virtual void onAttribute(const CVXLString& name, const CVXLString& value) = 0;
    virtual void onText(const CVXLString& text) = 0;
    virtual void onMalformed() { }
    virtual void readingFinished(std::int32_t result);
    // Finds the source for a reading; this one runs the source the owner set.
    virtual void openSource();
    // The source is done with (after its close); this one keeps it for the
    // owner's next reading.
    virtual void releaseSource();

    // Runs the transfer from source() into this job.
    void startTransfer();
    // Ends the reading before a transfer ran, with a failure code.
    void failReading(std::int32_t code);
    // Ends the reading without a transfer (reported as stopped or failed).
    void endReading();
    bool readingStopped() const { return stopFlag_; }

private:
    static constexpr std::int32_t kTransferEnded = 5;
    static constexpr std::int32_t kSourceClosed = 6;

    // Hands the parser's callbacks to the job.
    class Reader : public CVXLXmlReader {
    public:
        explicit Reader(CVXLXmlReaderSinkJob& job)
            : job_(job)
        {
        }
        void onElement(const CVXLString& name, bool start) override { job_.onElement(name, start); }
        void onAttribute(const CVXLString& name, const CVXLString& value) override
        {
            job_.onAttribute(name, value);
        }
        void onText(const CVXLString& text) override { job_.onText(text); }
        void onMalformed() override { job_.onMalformed(); }

    private:
        CVXLXmlReaderSinkJob& job_;
    };

    void onTransferEnded(CVXLEvent* reply);
    void onSourceClosed(CVXLEvent* reply);
    std::int32_t finalResult() const;

    Reader reader_ {*this};
    CVXLXferJobBase* source_ = nullptr;
    CVXLEvent transferStart_ {kEventXferRun, kTransferEnded};
    CVXLEvent transferStop_ {kEventXferClose, kSourceClosed};
    // The job's own stop, held until the reading has wound down.
    CVXLEvent* jobStop_ = nullptr;
    std::int32_t result_ = kResultSucceeded;
    bool stopFlag_ = false;
    bool reading_ = false;
    bool restartPending_ = false;
};
