#include "platform/kernel/TextCodec.h"
#include "platform/ui/Notification.h"

#include <gtest/gtest.h>

namespace tessel::ui {
namespace {

TEST(NotificationText, TagsGoBreaksStayAndEntitiesShowTheirCharacters)
{
    struct Case {
        const char16_t* html;
        const char16_t* shown;
    };
    const Case cases[] = {
        {u"<HTML><BODY>Sent.<br>3 pictures</BODY></HTML>", u"Sent.\n3 pictures"},
        {u"a &lt;b&gt; c", u"a <b> c"},
        {u"x&amp;y &quot;z&quot; &#39;q&apos;", u"x&y \"z\" 'q'"},
        {u"&amp;lt; is no less-than", u"&lt; is no less-than"},
        {u"AT&T & co &#; &#x41; &#55296;", u"AT&T & co &#; &#x41; &#55296;"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Notification::plainText(c.html), c.shown) << kernel::wideToUtf8(c.html);
}

} // namespace
} // namespace tessel::ui
