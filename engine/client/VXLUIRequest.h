#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLLayout;

// What an engine-to-UI request asks; the user interface names the kinds with
// kUIRequestKindNames, indexed by kind.
enum UIRequestKind : std::uint32_t {
    kUIRequestNewLayout = 0,
    kUIRequestReleaseLayout = 1,
    kUIRequestUpdatedLayout = 2,
    kUIRequestReplaceLayout = 3,
    kUIRequestReturnToMenu = 4,
    kUIRequestProcessUrl = 5,
    kUIRequestSmsMessage = 6,
    kUIRequestSendToPrinter = 7,
    kUIRequestReturnToIdle = 8,
};

inline constexpr std::uint32_t kUIRequestKindCount = 9;

inline constexpr const char* kUIRequestKindNames[kUIRequestKindCount] = {
    "NEW_LAYOUT",
    "RELEASE_LAYOUT",
    "UPDATED_LAYOUT",
    "REPLACE_LAYOUT",
    "RETURN_TO_MENU",
    "PROCESS_URL_REQUEST",
    "SMS_MESSAGE",
    "SEND_TO_PRINTER",
    "RETURN_TO_IDLE",
};

// One screen request from the engine to the user interface. The Client's
// request queue owns it; the layouts it names belong to their screen flows.
class CVXLUIRequest : public CVXLObject {
public:
    explicit CVXLUIRequest(UIRequestKind kind)
        : kind_(kind)
    {
    }
    CVXLUIRequest(const CVXLUIRequest&) = delete;
    CVXLUIRequest& operator=(const CVXLUIRequest&) = delete;

    UIRequestKind kind() const { return kind_; }
    // "?" for a kind outside the table.
    const char* kindName() const;

    // The layout to show, release or update (NEW, RELEASE, UPDATED, REPLACE).
    CVXLLayout* layout() const { return layout_; }
    void setLayout(CVXLLayout* layout) { layout_ = layout; }
    // REPLACE_LAYOUT: the layout that the one to show takes the place of.
    CVXLLayout* replacedLayout() const { return replacedLayout_; }
    void setReplacedLayout(CVXLLayout* layout) { replacedLayout_ = layout; }

    // RETURN_TO_MENU.
    std::int32_t menuId() const { return menuId_; }
    std::int32_t value() const { return value_; }
    void setMenu(std::int32_t menuId, std::int32_t value)
    {
        menuId_ = menuId;
        value_ = value;
    }

    // PROCESS_URL_REQUEST.
    const CVXLString& url() const { return url_; }
    void setUrl(const CVXLString& url) { url_ = url; }

private:
    UIRequestKind kind_;
    CVXLLayout* layout_ = nullptr;
    CVXLLayout* replacedLayout_ = nullptr;
    std::int32_t menuId_ = 0;
    std::int32_t value_ = 0;
    CVXLString url_;
};
