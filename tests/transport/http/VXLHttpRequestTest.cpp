#include "engine/transport/http/VXLHttpRequest.h"

#include <gtest/gtest.h>

namespace {

TEST(VXLHttpRequestTest, ANewRequestIsHttp11WithNoLengthHeadersOrAddresses)
{
    CVXLHttpRequest request(CVXLHttpRequest::kPost, 22);
    EXPECT_EQ(request.requestCode(), CVXLHttpRequest::kPost);
    EXPECT_EQ(request.flags(), CVXLHttpRequest::kFlagHttp11);
    EXPECT_TRUE(request.isHttp11());
    EXPECT_FALSE(request.hasFlag(CVXLHttpRequest::kFlagContentLength));
    EXPECT_EQ(request.contentLength(), 0u);
    EXPECT_EQ(request.url().length(), 0u);
    EXPECT_EQ(request.proxyUri().length(), 0u);
    EXPECT_TRUE(request.headers().begin().atEnd());
}

TEST(VXLHttpRequestTest, VersionBitsOtherThanTwoMeanHttp10)
{
    struct Case {
        std::uint32_t flags;
        bool http11;
    };
    const Case cases[] = {{0, false}, {1, false}, {2, true}, {3, false}, {2 | 0x8 | 0x4, true}};
    for (const Case& c : cases) {
        CVXLHttpRequest request(CVXLHttpRequest::kGet, 22);
        request.setFlags(c.flags);
        EXPECT_EQ(request.isHttp11(), c.http11) << c.flags;
    }
}

TEST(VXLHttpRequestTest, HeaderLookupsIgnoreLetterCase)
{
    CVXLHttpRequest request(CVXLHttpRequest::kPost, 22);
    request.setHeader("Content-Length", "108");
    EXPECT_EQ(std::string(request.header("content-length").c_str()), "108");
    EXPECT_EQ(std::string(request.header("CONTENT-LENGTH").c_str()), "108");
    request.setHeader("content-LENGTH", "7");
    EXPECT_EQ(std::string(request.header("Content-Length").c_str()), "7");
    EXPECT_EQ(std::string(request.header("Content-Type").c_str()), "");
}

TEST(VXLHttpRequestTest, ResetKeepsNothingButTakesTheConfiguredProxyAgain)
{
    CVXLHttpRequest request(CVXLHttpRequest::kPost, 22);
    request.setUrl("http://svc.example/vrax");
    request.setProxyUri("http://old-proxy:3128/");
    request.setHeader("Content-Type", "multipart/mixed; boundary=Veltmarsh");
    request.setContentLength(108);
    request.setFlag(CVXLHttpRequest::kFlagChunkedBody);
    request.setHttp10();

    request.reset("http://127.0.0.1:8080/");
    EXPECT_EQ(request.url().length(), 0u);
    EXPECT_EQ(std::string(request.proxyUri().c_str()), "http://127.0.0.1:8080/");
    EXPECT_EQ(std::string(request.header("Content-Type").c_str()), "");
    EXPECT_EQ(request.flags(), CVXLHttpRequest::kFlagHttp11);
    EXPECT_EQ(request.contentLength(), 0u);

    request.setContentLength(0);
    EXPECT_TRUE(request.hasFlag(CVXLHttpRequest::kFlagContentLength));
}

} // namespace
