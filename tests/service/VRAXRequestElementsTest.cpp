#include "engine/core/settings/VXLConfigItem.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/service/VRAXContainerOperation.h"
#include "engine/service/VRAXContainerRequest.h"
#include "engine/service/VRAXFetchBatch.h"
#include "engine/service/VRAXListChoiceResponse.h"
#include "engine/service/VRAXListRequest.h"
#include "engine/service/VRAXMediaListRequest.h"
#include "engine/service/VRAXMediaRequest.h"
#include "engine/service/VRAXMediaXferRequest.h"
#include "engine/service/VRAXMessageXferRequest.h"
#include "engine/service/VRAXMgmtRequest.h"
#include "engine/service/VRAXPageRequest.h"
#include "engine/service/VRAXQueuedMessageRequest.h"
#include "engine/transfer/VXLOnlineUploadRequest.h"
#include "tests/service/ServiceTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const char* const kEnvelope = "<?xml version=\"1.0\" ?>\n"
                              "<VRAX ver=\"5.1\" seq=\"3\" time_req=\"1800000000\" time_last_rsp=\"0\">\n"
                              "<context/>\n";

// The subscriber, the settings and the configuration items every case uses.
struct Environment : FakeVraxEnvironment {
    Environment()
    {
        phone = "+15550100";
        email = "a@b.example";
        lang = "en";
        model = "T1";
        now = 1800000000;
        store.set(kPersVraxId, "D42");
        store.set(kPersVraxVerId, "v9");
        store.set(kPersVraxDataLang, "en");
        items = {{kCfgImagePreviewWidth, "96"}, {kCfgImagePreviewHeight, "72"},
            {kCfgImagePreviewMaxFileSize, "8000"}, {kCfgImageViewWidth, "176"}, {kCfgImageViewHeight, "144"},
            {kCfgImageViewMaxFileSize, "60000"}, {kCfgVideoOriginalMaxFileSize, "300000"},
            {kCfgImageOriginalMaxFileSize, "500000"}, {kCfgAudioMaxFileSize, "100000"}};
    }
};

// The records a case's writer serves; they outlive the writer's document.
struct Records {
    CVRAXPageRequest page;
    CVRAXContainerOperation operation;
    CVRAXMessageRecord message;
    CVRAXFetchBatch batch;
    CVXLMediaItem item;
    CVXLOnlineUploadRequest upload {0};
};

using Build = std::function<std::unique_ptr<CVRAXRequest>(Environment&, Records&)>;

Build albumPage(bool albumList, std::int32_t bits)
{
    return [=](Environment& env, Records& r) {
        auto request = std::make_unique<CVRAXListRequest>(env);
        r.page.parentId = "A7";
        r.page.mediaBits = bits;
        if (albumList) {
            r.page.setWindow(10, 5);
            request->setAlbumList(&r.page);
        } else {
            r.page.setWindow(0, 50);
            request->setAlbumContents(&r.page);
        }
        return request;
    };
}

Build containerOp(bool items, std::int32_t kind, bool wholeAlbum, std::int32_t bits)
{
    return [=](Environment& env, Records& r) {
        auto request = std::make_unique<CVRAXContainerRequest>(env);
        r.operation.kind = kind;
        r.operation.containerId = "A7";
        r.operation.text = items ? "B9" : "Summer & sea";
        r.operation.wholeAlbum = wholeAlbum;
        r.operation.mediaBits = bits;
        r.operation.itemUids.insertAt("U1", 0);
        r.operation.itemUids.insertAt("U2", 1);
        if (items)
            request->setItemOperation(&r.operation);
        else
            request->setContainerOperation(&r.operation);
        return request;
    };
}

void addField(CVRAXMessageRecord& m, const char* id, std::int32_t type, bool outgoing,
    std::initializer_list<const char*> values)
{
    CVRAXMessageRecord::Field field;
    field.id = id;
    field.type = type;
    field.outgoing = outgoing;
    for (const char* value : values)
        field.values.insertAt(value, static_cast<int>(field.values.count()));
    m.fields.push_back(field);
}

Build message(bool queued)
{
    return [=](Environment& env, Records& r) -> std::unique_ptr<CVRAXRequest> {
        CVRAXMessageRecord& m = r.message;
        m.priority = CVRAXMessageRecord::kPriorityHigh;
        m.scenarioId = "S3";
        m.cookie = queued ? "" : "ck1";
        m.media = {{"U1", "image/jpeg"}, {"U2", "video/3gpp"}, {"U3", "image/png"}};
        m.addresses.insertAt("+15550111", 0);
        m.addresses.insertAt("x@y.example", 1);
        m.voiceAnnotation = "voice.amr";
        addField(m, "f1", kFieldImages, true, {});
        addField(m, "f2", kFieldAddressList, true, {});
        addField(m, "f3", kFieldTitle, false, {});
        addField(m, "f4", kFieldSubject, true, {"Hello"});
        addField(m, "f5", kFieldAudioAnnotation, true, {});
        addField(m, "f6", kFieldTypeList, true, {});
        addField(m, "f7", kFieldAlbums, false, {"A7"});
        addField(m, "f8", 12, false, {"Z"});
        if (queued) {
            auto request = std::make_unique<CVRAXQueuedMessageRequest>(env);
            request->setMessage(&m);
            return request;
        }
        auto request = std::make_unique<CVRAXMessageXferRequest>(env);
        request->setMessage(&m);
        return request;
    };
}

CVRAXFetchBatch::Slot slot(
    const char* id, const char* type, std::int32_t kind, std::int32_t orientation, const char* output)
{
    CVRAXFetchBatch::Slot s;
    s.itemId = id;
    s.mimeType = type;
    s.kind = kind;
    s.orientation = orientation;
    s.outputMimeType = output;
    return s;
}

Build mediaRequest(bool explicitSize)
{
    return [=](Environment& env, Records& r) {
        auto request = std::make_unique<CVRAXMediaRequest>(env);
        if (explicitSize) {
            r.batch.count = 3;
            r.batch.slots[0] = slot("M2", "image/gif", CVRAXFetchBatch::kView, 0, "");
            r.batch.slots[0].explicitSize = true;
            r.batch.slots[0].width = 320;
            r.batch.slots[0].height = 200;
            r.batch.slots[1] = slot("", "video/3gpp", CVRAXFetchBatch::kFullSize, 0, "");
            r.batch.slots[2] = slot("M4", "text/plain", CVRAXFetchBatch::kView, 0, "");
        } else {
            r.batch.count = 3;
            r.batch.slots[0] = slot("M1", "image/jpeg", CVRAXFetchBatch::kPreview, 2, "image/jpeg");
            r.batch.slots[1] = slot("M2", "image/gif", CVRAXFetchBatch::kView, 1, "");
            r.batch.slots[2] = slot("M3", "application/x-unknown", CVRAXFetchBatch::kPreview, 0, "");
        }
        request->setBatch(&r.batch);
        return request;
    };
}

void describeItem(Environment& env, Records& r, std::int32_t orientation)
{
    r.item.setUid("U1");
    r.item.setTitle("Beach");
    r.item.setOrientation(orientation);
    r.item.setCaptureTime(1700000000);
    r.item.setLatitude(-1234);
    r.item.setLongitude(5678);
    env.mimeTypes[&r.item] = "image/jpeg";
}

Build mediaList(std::int32_t mode, std::int32_t kind, std::int32_t orientation)
{
    return [=](Environment& env, Records& r) {
        describeItem(env, r, orientation);
        r.upload.item = &r.item;
        r.upload.size = 2048;
        r.upload.transferKind = kind;
        r.upload.parentId = "A7";
        auto request = std::make_unique<CVRAXMediaListRequest>(env);
        request->setUpload(&r.upload);
        request->setMode(mode);
        return request;
    };
}

struct Case {
    const char* what;
    Build build;
    const char* fixture;
    // Replaces the album-contents fixture's filter; null keeps it.
    const char* filter;
};

TEST(VRAXRequestElementsTest, EveryRequestElementEqualsItsTypedFixtureAndIsWellFormed)
{
    const Case cases[] = {
        {"album list", albumPage(true, 0), "album-list.xml", nullptr},
        {"contents, no bits", albumPage(false, 0), "album-contents.xml", "media"},
        {"contents, images", albumPage(false, 1), "album-contents.xml", "mt image/*"},
        {"contents, videos", albumPage(false, 2), "album-contents.xml", "mt video/*"},
        {"contents, images and videos", albumPage(false, 3), "album-contents.xml", "mt image/*,video/*"},
        {"contents, third kind alone", albumPage(false, 4), "album-contents.xml", "media"},
        {"contents, images and third", albumPage(false, 5), "album-contents.xml", "mt image/*"},
        {"contents, videos and third", albumPage(false, 6), "album-contents.xml", "mt video/*"},
        {"contents, all three", albumPage(false, 7), "album-contents.xml", "media"},
        {"album delete", containerOp(false, CVRAXContainerOperation::kDeleteAlbum, false, 0),
            "album-delete.xml", nullptr},
        {"album rename", containerOp(false, CVRAXContainerOperation::kRenameAlbum, false, 0),
            "album-rename.xml", nullptr},
        {"items delete", containerOp(true, CVRAXContainerOperation::kDeleteItems, false, 0),
            "items-delete.xml", nullptr},
        {"items move", containerOp(true, CVRAXContainerOperation::kMoveItems, false, 0), "items-move.xml",
            nullptr},
        {"whole album copy, both bits", containerOp(true, CVRAXContainerOperation::kCopyItems, true, 3),
            "album-copy-both.xml", nullptr},
        {"whole album move, videos", containerOp(true, CVRAXContainerOperation::kMoveItems, true, 2),
            "album-move-videos.xml", nullptr},
        {"message from a screen skips fields not outgoing", message(false), "message-screen.xml", nullptr},
        {"queued message writes every field", message(true), "message-queued.xml", nullptr},
        {"list choice response",
            [](Environment& env, Records&) {
                auto request = std::make_unique<CVRAXListChoiceResponse>(env);
                request->setRequestId("R5");
                request->setChoice("second");
                return request;
            },
            "list-choice-resp.xml", nullptr},
        {"registration", [](Environment& env, Records&) { return std::make_unique<CVRAXMgmtRequest>(env); },
            "mgmt-req.xml", nullptr},
        {"media batch: preview, view, unknown type", mediaRequest(false), "media-req-preview.xml", nullptr},
        {"media batch: explicit size first, unknown type last", mediaRequest(true), "media-req-explicit.xml",
            nullptr},
        {"lookup", mediaList(CVRAXMediaListRequest::kLookup, 1, 2), "lookup.xml", nullptr},
        {"upload", mediaList(CVRAXMediaListRequest::kTransfer, 1, 2), "transfer-upload.xml", nullptr},
        {"share", mediaList(CVRAXMediaListRequest::kTransfer, 2, 2), "transfer-share.xml", nullptr},
        {"forward", mediaList(CVRAXMediaListRequest::kTransfer, 3, 2), "transfer-forward.xml", nullptr},
        {"orientation 0 has no pair", mediaList(CVRAXMediaListRequest::kTransfer, 1, 0),
            "transfer-orientation0.xml", nullptr},
        {"media record update",
            [](Environment& env, Records& r) {
                describeItem(env, r, 3);
                auto request = std::make_unique<CVRAXMediaXferRequest>(env);
                request->setItem(&r.item);
                return request;
            },
            "record-update.xml", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Environment env;
        Records records;
        std::unique_ptr<CVRAXRequest> request = c.build(env, records);
        request->setSequence(3);
        std::string expected = serviceFixture(std::string("requests/") + c.fixture);
        ASSERT_FALSE(expected.empty());
        if (c.filter) {
            const std::string typed = "filter=\"mt image/*\"";
            expected.replace(expected.find(typed), typed.size(), std::string("filter=\"") + c.filter + "\"");
        }
        expected = kEnvelope + expected + "</VRAX>";
        const std::string document = toStd(request->buildDocument());
        EXPECT_EQ(document, expected);
        EXPECT_TRUE(xmllintAccepts(document));
    }
}

TEST(VRAXRequestElementsTest, WritersWithoutAServedRecordOrWithAnUnknownKindWriteNoElement)
{
    Environment env;
    Records r;
    const std::string empty = std::string(kEnvelope) + "</VRAX>";
    std::unique_ptr<CVRAXRequest> writers[] = {
        std::make_unique<CVRAXListRequest>(env),
        std::make_unique<CVRAXContainerRequest>(env),
        std::make_unique<CVRAXMessageXferRequest>(env),
        std::make_unique<CVRAXQueuedMessageRequest>(env),
        std::make_unique<CVRAXMediaRequest>(env),
        std::make_unique<CVRAXMediaListRequest>(env),
        std::make_unique<CVRAXMediaXferRequest>(env),
        containerOp(false, 2, false, 0)(env, r),
        containerOp(true, 4, false, 0)(env, r),
        mediaList(CVRAXMediaListRequest::kLookedUp, 1, 0)(env, r),
    };
    for (auto& writer : writers) {
        writer->setSequence(3);
        EXPECT_EQ(toStd(writer->buildDocument()), empty);
    }
}

TEST(VRAXRequestElementsTest, AnExplicitSizeStretchesAndTheLookupQueryFollowsModeAndUid)
{
    Environment env;
    Records r;
    auto media = mediaRequest(true)(env, r);
    r.batch.slots[0].scaling = CVRAXFetchBatch::kCrop;
    media->buildDocument();
    EXPECT_EQ(r.batch.slots[0].scaling, CVRAXFetchBatch::kStretch);

    Records u;
    auto writer = mediaList(CVRAXMediaListRequest::kLookup, 1, 0)(env, u);
    auto* list = static_cast<CVRAXMediaListRequest*>(writer.get());
    EXPECT_FALSE(list->needsNoLookup());
    list->setMode(CVRAXMediaListRequest::kLookedUp);
    EXPECT_TRUE(list->needsNoLookup());
    list->setMode(CVRAXMediaListRequest::kLookup);
    u.item.setUid("");
    EXPECT_TRUE(list->needsNoLookup());
    list->reset();
    EXPECT_EQ(list->mode(), CVRAXMediaListRequest::kTransfer);
    EXPECT_EQ(list->upload(), nullptr);
}

} // namespace
