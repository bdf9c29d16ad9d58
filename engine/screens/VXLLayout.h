#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLContactListElement;
class CVXLElement;
class CVXLLayoutChoiceSelection;
class CVXLLayoutContactChooser;
class CVXLLayoutError;
class CVXLLayoutInformation;
class CVXLLayoutMenuList;
class CVXLLayoutMessageComposer;
class CVXLLayoutProgressBar;
class CVXLLayoutProgressSpinner;
class CVXLReleasable;
class CVXLScreenServices;
class CVXLUIRequest;
class CVXLUiJob;

// The layout type codes; 9 names no layout.
enum CVXLLayoutType : std::uint32_t {
    kLayoutList = 0,
    kLayoutAudio = 1,
    kLayoutChoiceSelection = 2,
    kLayoutContactChooser = 3,
    kLayoutError = 4,
    kLayoutFolderList = 5,
    kLayoutInformation = 6,
    kLayoutMediaBrowser = 7,
    kLayoutCaptureChoice = 8,
    kLayoutMenuList = 10,
    kLayoutMessageList = 11,
    kLayoutMessageComposer = 12,
    kLayoutMessageSummary = 13,
    kLayoutThreadList = 14,
    kLayoutMessageView = 15,
    kLayoutProgressBar = 16,
    kLayoutProgressSpinner = 17,
};

// Where the user interface places an offered action.
enum CVXLActionKind : std::uint32_t {
    kActionKindLeftSoftKey = 0,
    kActionKindRightSoftKey = 1,
    kActionKindMenuItem = 2,
    kActionKindHardKey = 3,
    // The row names a label but the action is never offered nor accepted.
    kActionKindNotApplicable = 4,
    // The user interface picks the place.
    kActionKindUnplaced = 5,
};

// The low half of an event id.
enum CVXLLayoutAction : std::uint32_t {
    kLayoutActionBack = 0x65,
    kLayoutActionExit = 0x66,
    kLayoutActionContinue = 0x67,
    kLayoutActionCancel = 0x68,
    kLayoutActionUpdate = 0x69,
    kLayoutActionModify = 0x72,
    kLayoutActionSelect = 0x80,
    kLayoutActionHelp = 0x88,
};

constexpr std::uint32_t layoutEventId(std::uint32_t layoutType, std::uint32_t action)
{
    return layoutType << 16 | action;
}

// One row of a layout class's constant command table.
struct CVXLLayoutCommandRow {
    std::uint32_t state;
    std::uint32_t eventId;
    std::uint32_t kind;
    std::uint32_t labelId;
};

// The engine's description of one screen: its type, owning UI job, state and
// current element, and per state the actions it offers (a constant table of
// the layout class). The user interface reads it, attaches its window, and
// hands the user's choice back through submitAction.
class CVXLLayout : public CVXLObject {
public:
    // What nextAction answers past the last offered action.
    static constexpr std::uint32_t kNoMoreActions = 0xFFFFFFFFu;
    // The base's title.
    static constexpr const char* kUntitled = "???";

    explicit CVXLLayout(std::uint32_t layoutType, std::uint32_t initialState = 0);
    CVXLLayout(const CVXLLayout&) = delete;
    CVXLLayout& operator=(const CVXLLayout&) = delete;
    ~CVXLLayout() override = default;

    // Keeps the handler in the Client's registry under (owner's type id,
    // state, handler key); the registry releases one it replaces.
    virtual void registerHandler(CVXLReleasable* handler);
    virtual bool isBusy() const { return false; }
    bool isReady() const { return !isBusy(); }
    virtual CVXLString getTitle() const { return kUntitled; }
    // The kind of the first row of the state with the event id, kind 4
    // included; kActionKindUnplaced when there is none.
    virtual std::uint32_t getActionKind(std::uint32_t eventId) const;
    // The label of that row, "" when there is none.
    virtual CVXLString getActionLabel(std::uint32_t eventId) const;
    // 1 when the owner job took the action, else 0.
    virtual int submitAction(std::uint32_t eventId);
    virtual bool canSubmitAction(std::uint32_t eventId) const { return hasAction(eventId); }
    virtual bool prepare() { return true; }
    virtual void setState(std::uint32_t state) { state_ = state; }
    virtual void detachView() { view_ = nullptr; }
    // The user interface took a request that shows this layout.
    virtual void onRequestTaken(CVXLUIRequest*) { }
    virtual const CVXLLayoutCommandRow* getCommandTable() const = 0;
    virtual std::uint32_t getCommandCount() const = 0;
    virtual std::int32_t getHandlerKey() const { return 0; }

    // Offered (not kind 4) in the current state.
    bool hasAction(std::uint32_t eventId) const;
    // The offered actions of the current state, in table order.
    void firstAction();
    bool hasNextAction() const;
    std::uint32_t nextAction();

    CVXLLayoutChoiceSelection* asChoiceSelection();
    CVXLLayoutContactChooser* asContactChooser();
    CVXLLayoutError* asError();
    CVXLLayoutInformation* asInformation();
    CVXLLayoutMenuList* asMenuList();
    CVXLLayoutMessageComposer* asMessageComposer();
    CVXLLayoutProgressBar* asProgressBar();
    CVXLLayoutProgressSpinner* asProgressSpinner();

    std::uint32_t layoutType() const { return type_; }
    std::uint32_t state() const { return state_; }
    CVXLUiJob* owner() const { return owner_; }
    void setOwner(CVXLUiJob* owner) { owner_ = owner; }
    // The owning job's services; null without an owner.
    CVXLScreenServices* services() const;
    // The Client's global recipient list, through the services; null
    // without them.
    CVXLContactListElement* globalContactContainer() const;
    void* view() const { return view_; }
    void setView(void* view) { view_ = view; }
    CVXLElement* currentElement() const { return current_; }
    void setCurrentElement(CVXLElement* element) { current_ = element; }

protected:
    // The text of a table id ("" when the table lacks it).
    CVXLString text(std::uint32_t id) const;
    // A configuration item as a decimal number, `fallback` when not set.
    std::int32_t configNumber(std::int32_t item, std::int32_t fallback) const;
    // For layouts that keep no handler: it is let go of at once.
    static void releaseHandler(CVXLReleasable* handler);

private:
    // The first row at or after `from` offered in the current state, or the
    // row count.
    std::uint32_t offeredFrom(std::uint32_t from) const;
    const CVXLLayoutCommandRow* findRow(std::uint32_t eventId, bool offeredOnly) const;

    CVXLUiJob* owner_ = nullptr;
    std::uint32_t type_;
    CVXLElement* current_ = nullptr;
    std::uint32_t state_;
    void* view_ = nullptr;
    std::uint32_t cursor_ = 0;
};
