#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/screens/VXLEditTextElement.h"

#include <cstdint>

// One entry of a destination menu: a category or a destination of the
// service, with its caption, description and the links of its menu and
// button images.
class CVXLMenuItemElement : public CVXLEditTextElement {
public:
    static constexpr std::uint32_t kElementType = 9;
    // The MIME type that a media link starts with until one is named.
    static constexpr const char* kDefaultImageMimeType = "image/";

    CVXLMenuItemElement() = default;
    ~CVXLMenuItemElement() override = default;

    std::uint32_t elementType() const override { return kElementType; }

    const CVXLString& id() const { return id_; }
    void setId(const CVXLString& id) { id_ = id; }
    bool isCategory() const { return category_ != 0; }
    void setCategory(bool category) { category_ = category ? 1 : 0; }
    // The caption: the edited text.
    const CVXLString& text() const { return getText(); }
    const CVXLString& description() const { return description_; }
    void setDescription(const CVXLString& text) { description_ = text; }

    CVXLString getMenuMediaLink() const { return menuMediaLink_; }
    void setMenuMediaLink(const CVXLString& link) { menuMediaLink_ = link; }
    const CVXLString& menuMimeType() const { return menuMimeType_; }
    void setMenuMimeType(const CVXLString& type) { menuMimeType_ = type; }
    CVXLString getButtonMediaLink() const { return buttonMediaLink_; }
    void setButtonMediaLink(const CVXLString& link) { buttonMediaLink_ = link; }
    const CVXLString& buttonMimeType() const { return buttonMimeType_; }
    void setButtonMimeType(const CVXLString& type) { buttonMimeType_ = type; }

    // Asks for the images of the non-empty media links. The images are loaded
    // by the media subsystem; until an icon loader is attached the element
    // only records which of its icons are wanted.
    virtual void loadIcons();
    bool menuIconWanted() const { return menuIconWanted_ != 0; }
    // The reference the menu icon is fetched through, once one is set.
    virtual bool hasMenuMedia() const { return static_cast<bool>(menuMedia_); }
    const CVXLMediaRefHandle& menuMedia() const { return menuMedia_; }
    void setMenuMedia(const CVXLMediaRefHandle& media) { menuMedia_ = media; }
    bool buttonIconWanted() const { return buttonIconWanted_ != 0; }

private:
    CVXLString id_;
    std::uint8_t category_ = 0;
    CVXLString description_;
    CVXLString menuMediaLink_;
    CVXLString menuMimeType_;
    CVXLString buttonMediaLink_;
    CVXLString buttonMimeType_;
    std::uint8_t menuIconWanted_ = 0;
    CVXLMediaRefHandle menuMedia_;
    std::uint8_t buttonIconWanted_ = 0;
};
