#include "engine/screens/VXLLayoutMessageComposer.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/scenario/ScenarioCodes.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLabel.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/screens/VXLAudioElement.h"
#include "engine/screens/VXLContactListElement.h"
#include "engine/screens/VXLDisplayTextElement.h"
#include "engine/screens/VXLMediaListElement.h"
#include "engine/screens/VXLScreenServices.h"
#include "engine/screens/VXLUserInputTextElement.h"

#include <iterator>
#include <vector>

namespace {

constexpr std::uint32_t event(std::uint32_t action)
{
    return layoutEventId(kLayoutMessageComposer, action);
}

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, event(kLayoutActionContinue), kActionKindUnplaced, 420},
    {0, event(kLayoutActionModify), kActionKindUnplaced, 421},
    {0, event(kLayoutActionUpdate), kActionKindUnplaced, 422},
    {0, event(kLayoutActionCancel), kActionKindUnplaced, 423},
    {0, event(kLayoutActionBack), kActionKindHardKey, 424},
    {0, event(kLayoutActionExit), kActionKindHardKey, 425},
    {2, event(kLayoutActionContinue), kActionKindUnplaced, 427},
    {2, event(kLayoutActionBack), kActionKindHardKey, 429},
    {2, event(kLayoutActionExit), kActionKindHardKey, 430},
    {3, event(kLayoutActionContinue), kActionKindUnplaced, 420},
    {3, event(kLayoutActionModify), kActionKindUnplaced, 421},
    {3, event(kLayoutActionUpdate), kActionKindUnplaced, 422},
    {3, event(kLayoutActionCancel), kActionKindUnplaced, 423},
    {3, event(kLayoutActionHelp), kActionKindUnplaced, 426},
    {3, event(kLayoutActionBack), kActionKindHardKey, 424},
    {3, event(kLayoutActionExit), kActionKindHardKey, 425},
};

constexpr const char* kImages = "images";
constexpr const char* kVideos = "videos";

bool startsWith(const CVXLString& text, const char* prefix)
{
    return text.find(prefix) == 0;
}

// The selected items of the Media Access Manager.
std::vector<CVXLMediaItem*> selection(CVXLScreenServices* screen)
{
    CMediaAccessManager* media = screen ? screen->mediaAccess() : nullptr;
    return media ? media->selectedMedia() : std::vector<CVXLMediaItem*>();
}

CVXLString mimeTypeOf(const CVXLMediaItem* item)
{
    const CVXLMediaRef* ref = item ? item->mediaRef().get() : nullptr;
    return ref ? ref->getMimeType() : CVXLString();
}

// Selected items whose MIME type begins with the prefix.
std::int32_t countSelected(const std::vector<CVXLMediaItem*>& items, const char* prefix)
{
    std::int32_t count = 0;
    for (const CVXLMediaItem* item : items)
        if (startsWith(mimeTypeOf(item), prefix))
            ++count;
    return count;
}

bool typeListHas(const CScenarioFieldDescription& description, const char* name)
{
    for (std::uint32_t i = 0; i < description.typeNameCount(); ++i)
        if (description.typeName(i) == name)
            return true;
    return false;
}

bool within(std::int32_t value, std::int32_t minimum, std::int32_t maximum)
{
    return value >= minimum && (maximum < 0 || value <= maximum);
}

std::uint32_t inputModeOf(std::uint32_t formats, std::int32_t type)
{
    if (formats & kInputEmail)
        return CVXLLayoutMessageComposer::kInputModeEmail;
    if (formats & kInputNumber)
        return CVXLLayoutMessageComposer::kInputModeNumber;
    if (formats & kInputPhone)
        return CVXLLayoutMessageComposer::kInputModePhone;
    if (formats & kInputUrl)
        return CVXLLayoutMessageComposer::kInputModeUrl;
    if (formats & kInputDecimal)
        return CVXLLayoutMessageComposer::kInputModeDecimal;
    return type == kFieldShortMessage ? CVXLUserInputTextElement::kShortMessage
                                      : CVXLUserInputTextElement::kSingleLine;
}

// A label's action (1 based) as the state of the field.
std::uint32_t stateOfAction(std::int32_t action)
{
    switch (action) {
    case kActionSend:
    case kActionDispErr:
        return kFieldStateContinue;
    case kActionChange:
        return kFieldStateChange;
    case kActionAdd:
        return kFieldStateAdd;
    case kActionClear:
        return kFieldStateClear;
    case kActionCancel:
        return kFieldStateCancel;
    case kActionView:
        return kFieldStateView;
    default:
        return kFieldStateNone;
    }
}

// The leading decimal digits at p (0 when there are none); p moves past them.
std::int32_t readNumber(const char*& p)
{
    std::int64_t value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < 0x7FFFFFFF)
            value = value * 10 + (*p - '0');
        ++p;
    }
    return value > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(value);
}

// A stack of truth values whose oldest falls off the bottom.
class TruthStack {
public:
    TruthStack()
    {
        for (bool& v : values_)
            v = true;
    }
    void push(bool value)
    {
        for (std::uint32_t i = CVXLLayoutMessageComposer::kRuleStackDepth - 1; i > 0; --i)
            values_[i] = values_[i - 1];
        values_[0] = value;
    }
    bool pop()
    {
        const bool top = values_[0];
        for (std::uint32_t i = 0; i + 1 < CVXLLayoutMessageComposer::kRuleStackDepth; ++i)
            values_[i] = values_[i + 1];
        values_[CVXLLayoutMessageComposer::kRuleStackDepth - 1] = true;
        return top;
    }
    bool top() const { return values_[0]; }

private:
    bool values_[CVXLLayoutMessageComposer::kRuleStackDepth];
};

} // namespace

CVXLLayoutMessageComposer::CVXLLayoutMessageComposer()
    : CVXLLayout(kLayoutMessageComposer)
{
    for (std::int32_t& entry : fieldMap_)
        entry = -1;
}

CVXLLayoutMessageComposer::~CVXLLayoutMessageComposer()
{
    clearSlots();
}

const CVXLLayoutCommandRow* CVXLLayoutMessageComposer::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutMessageComposer::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}

void CVXLLayoutMessageComposer::clearSlots()
{
    for (CVXLFieldElement& slot : slots_)
        slot.setValue(nullptr);
    for (std::int32_t& entry : fieldMap_)
        entry = -1;
    videoList_ = nullptr;
    imageList_ = nullptr;
    mixedList_ = nullptr;
    mixedSlot_ = nullptr;
    slotCount_ = 0;
    delete audio_;
    audio_ = nullptr;
    setCurrentElement(nullptr);
}

void CVXLLayoutMessageComposer::forgetValue(const CVXLElement* value)
{
    if (!value)
        return;
    if (value == videoList_)
        videoList_ = nullptr;
    if (value == imageList_)
        imageList_ = nullptr;
    if (value == mixedList_) {
        mixedList_ = nullptr;
        mixedSlot_ = nullptr;
    }
}

void CVXLLayoutMessageComposer::build(CScenarioLayout* scenario)
{
    for (CVXLFieldElement& slot : slots_) {
        forgetValue(slot.value());
        slot.setValue(nullptr);
    }
    for (std::int32_t& entry : fieldMap_)
        entry = -1;
    setCurrentElement(nullptr);
    scenario_ = scenario;
    slotCount_ = 0;
    helpFlag_ = 0;
    scenarioFlag_ = scenario && scenario->isConfiguration() ? 1 : 0;
    if (!scenario)
        return;
    const std::uint32_t fields = scenario->fieldCount() < kMaxSlots ? scenario->fieldCount() : kMaxSlots;
    for (std::uint32_t i = 0; i < fields && slotCount_ < kMaxSlots; ++i) {
        const CScenarioField* field = scenario->fieldAt(i);
        if (!field || !field->fieldDescription().visible())
            continue;
        CVXLFieldElement& slot = slots_[slotCount_];
        slot.setElementOwner(this);
        slot.setField(scenario, static_cast<std::int32_t>(i));
        if (!makeValue(slotCount_, *field))
            continue;
        if (static_cast<std::int32_t>(i) == scenario->initialFocus())
            setCurrentElement(&slot);
        fieldMap_[i] = static_cast<std::int32_t>(slotCount_);
        ++slotCount_;
    }
}

bool CVXLLayoutMessageComposer::makeValue(std::uint32_t slotIndex, const CScenarioField& field)
{
    CVXLFieldElement& slot = slots_[slotIndex];
    const CScenarioFieldDescription& description = field.fieldDescription();
    const std::int32_t type = description.typeCode();
    const std::int32_t minimum = description.minAt(0);
    const std::int32_t maximum = description.upperLimit(0);
    switch (type) {
    case kFieldImages:
        buildMediaList(slotIndex, field, kListImages);
        return true;
    case kFieldVideos:
        buildMediaList(slotIndex, field, kListVideos);
        return true;
    case kFieldTypeList:
        buildMediaList(slotIndex, field, kListMixed);
        return true;
    case kFieldAddressList:
        if (CVXLContactListElement* contacts = globalContactContainer()) {
            contacts->setRange(minimum, maximum);
            slot.setValue(contacts);
        }
        return true;
    case kFieldTitle:
        title_ = description.caption();
        return false;
    case kFieldAudioAnnotation:
        slot.setValue(description.editable() ? new CVXLAudioElement(minimum, maximum) : nullptr);
        return true;
    case kFieldAlbums:
        slot.setValue(album_ ? new CVXLAlbum(*album_) : new CVXLAlbum);
        return true;
    case kFieldHelp: {
        helpFlag_ = 1;
        auto* text = new CVXLDisplayTextElement;
        if (text)
            text->setRecordText(field.values().at(0));
        slot.setValue(text);
        return true;
    }
    case kFieldSubject:
    case kFieldShortMessage:
    case kFieldAddress: {
        const CVXLString value = field.values().at(0);
        if (!description.editable()) {
            auto* text = new CVXLDisplayTextElement;
            if (text)
                text->setRecordText(value);
            slot.setValue(text);
            return true;
        }
        auto* input = new CVXLUserInputTextElement(minimum, maximum);
        if (!input) {
            slot.setValue(nullptr);
            return true;
        }
        input->setServices(services());
        const CVXLString cut = input->cutToMaximum(value);
        if (cut.length() != value.length()) {
            // The definition keeps what the screen shows.
            auto& values = const_cast<CScenarioField&>(field).values();
            values.clear();
            values.append(cut);
        }
        input->setText(cut);
        input->setInputMode(inputModeOf(description.inputFormats(), type));
        input->setModifiers(description.modifiers());
        slot.setValue(input);
        return true;
    }
    default:
        // Composites and other fields are not shown.
        return false;
    }
}

CVXLMediaListElement* CVXLLayoutMessageComposer::buildMediaList(
    std::uint32_t slotIndex, const CScenarioField& field, std::int32_t kind)
{
    auto* list = new CVXLMediaListElement;
    if (!list)
        return nullptr;
    list->setElementOwner(this);
    CVXLFieldElement& slot = slots_[slotIndex];
    const CScenarioFieldDescription& description = field.fieldDescription();
    forgetValue(slot.value());
    switch (kind) {
    case kListImages:
        list->setLimits(0, description.maxAt(0));
        imageList_ = list;
        break;
    case kListVideos:
        list->setLimits(description.maxAt(0), 0);
        videoList_ = list;
        break;
    default: {
        std::int32_t videos = 0;
        std::int32_t images = 0;
        for (std::uint32_t i = 0; i < description.typeNameCount(); ++i) {
            if (description.typeName(i) == kImages)
                images = description.maxAt(i);
            else if (description.typeName(i) == kVideos)
                videos = description.maxAt(i);
        }
        list->setLimits(videos, images);
        mixedList_ = list;
        mixedSlot_ = &slot;
        break;
    }
    }
    for (CVXLMediaItem* item : selection(services())) {
        if (acceptsMedia(mimeTypeOf(item), kind, field))
            list->append(item);
    }
    slot.setValue(list);
    return list;
}

bool CVXLLayoutMessageComposer::acceptsMedia(
    const CVXLString& mimeType, std::int32_t kind, const CScenarioField& field) const
{
    const CScenarioFieldDescription& description = field.fieldDescription();
    if (startsWith(mimeType, "video/"))
        return kind == kListVideos || (kind == kListMixed && typeListHas(description, kVideos));
    if (startsWith(mimeType, "image/"))
        return kind == kListImages || (kind == kListMixed && typeListHas(description, kImages));
    return false;
}

void CVXLLayoutMessageComposer::rebuildCurrentField()
{
    const CVXLFieldElement* current = currentSlot();
    if (!current)
        return;
    const std::uint32_t index = static_cast<std::uint32_t>(current - slots_);
    const CScenarioField* field = current->field();
    if (!field)
        return;
    forgetValue(current->value());
    makeValue(index, *field);
}

CVXLFieldElement* CVXLLayoutMessageComposer::getField(std::uint32_t index)
{
    return index < slotCount_ ? &slots_[index] : nullptr;
}

std::int32_t CVXLLayoutMessageComposer::slotOfField(std::int32_t fieldIndex) const
{
    if (fieldIndex < 0 || fieldIndex >= static_cast<std::int32_t>(kMaxSlots))
        return -1;
    return fieldMap_[fieldIndex];
}

const CVXLFieldElement* CVXLLayoutMessageComposer::currentSlot() const
{
    const CVXLElement* current = currentElement();
    if (!current)
        return nullptr;
    for (std::uint32_t i = 0; i < slotCount_; ++i)
        if (current == &slots_[i] || current == slots_[i].value())
            return &slots_[i];
    return nullptr;
}

CVXLElement* CVXLLayoutMessageComposer::currentFieldSlot() const
{
    const CVXLFieldElement* slot = currentSlot();
    return slot ? const_cast<CVXLFieldElement*>(slot) : currentElement();
}

std::int32_t CVXLLayoutMessageComposer::currentFieldKind() const
{
    CVXLElement* current = currentElement();
    if (current && current->asReference())
        current = current->asReference()->value();
    if (!current)
        return kKindOther;
    if (current->asContactList())
        return kKindContacts;
    if (CVXLMediaListElement* list = current->asMediaList()) {
        if (list == videoList_)
            return kKindVideoList;
        if (list == imageList_)
            return kKindImageList;
        if (list == mixedList_)
            return kKindMixedList;
        return kKindOther;
    }
    if (current->asType0())
        return kKindAlbum;
    return kKindOther;
}

void CVXLLayoutMessageComposer::chooseLabel(bool error, CVXLString* caption, std::uint32_t* state) const
{
    *state = kFieldStateNone;
    const CVXLFieldElement* slot = currentSlot();
    const CScenarioField* field = slot ? slot->field() : nullptr;
    if (!field)
        return;
    const CScenarioLabel& label
        = error ? field->fieldDescription().leftSoftKey() : field->fieldDescription().rightSoftKey();
    const bool holds = evaluateRule(label.rule().text().c_str());
    if (caption)
        *caption = holds ? label.captions().first() : label.captions().second();
    *state = stateOfAction(holds ? label.actions().trueAction() : label.actions().falseAction());
    CVXLElement* value = slot->value();
    const bool listLike = value && (value->asType0() || value->asContactList() || value->asMediaList());
    if (listLike && (*state == kFieldStateChange || *state == kFieldStateAdd))
        *state = kFieldStateModify;
}

CVXLString CVXLLayoutMessageComposer::labelText() const
{
    CVXLString caption;
    std::uint32_t state = 0;
    chooseLabel(false, &caption, &state);
    return caption;
}

CVXLString CVXLLayoutMessageComposer::errorLabelText() const
{
    CVXLString caption;
    std::uint32_t state = 0;
    chooseLabel(true, &caption, &state);
    return caption;
}

std::uint32_t CVXLLayoutMessageComposer::labelState() const
{
    std::uint32_t state = 0;
    chooseLabel(false, nullptr, &state);
    return state;
}

std::uint32_t CVXLLayoutMessageComposer::errorLabelState() const
{
    std::uint32_t state = 0;
    chooseLabel(true, nullptr, &state);
    return state;
}

std::int32_t CVXLLayoutMessageComposer::fieldValue(std::uint32_t slotIndex) const
{
    if (slotIndex >= slotCount_)
        return 0;
    const CVXLFieldElement& slot = slots_[slotIndex];
    CVXLElement* value = slot.value();
    if (!value)
        return 0;
    if (value->asType0())
        return album_ ? 1 : 0;
    if (value->asAudio())
        return audio_ ? 1 : 0;
    if (CVXLContactListElement* contacts = value->asContactList())
        return static_cast<std::int32_t>(contacts->count());
    if (CVXLMediaListElement* list = value->asMediaList())
        return static_cast<std::int32_t>(list->count());
    if (value->asUserInputText()) {
        const CScenarioField* field = slot.field();
        return field
            ? static_cast<std::int32_t>(CVXLUserInputTextElement::characterCount(field->values().at(0)))
            : 0;
    }
    return 0;
}

// A postfix expression over truth values. A term is a field index, a
// comparison character of "<L=E>G" and a decimal value: the field's value
// (fieldValue) compared with it; a field without a slot makes the term
// false. After a term the text is read on from its comparison character to
// the first of ",*+"; from there ',' does nothing, '+' or '|' replaces the
// two topmost values by their OR, '*' or '&' by their AND, and any other
// character begins the next term. The result is the top value; the stack
// starts with true, so an empty rule holds.
bool CVXLLayoutMessageComposer::evaluateRule(const char* rule) const
{
    TruthStack stack;
    const char* p = rule ? rule : "";
    while (*p) {
        const std::int32_t index = readNumber(p);
        const char* comparison = p;
        while (*comparison && !vxlStrChr("<L=E>G", *comparison))
            ++comparison;
        if (!*comparison)
            break;
        const char* after = comparison + 1;
        const std::int32_t value = readNumber(after);
        bool term = false;
        const std::int32_t slot = slotOfField(index);
        if (slot >= 0) {
            const std::int32_t actual = fieldValue(static_cast<std::uint32_t>(slot));
            switch (*comparison) {
            case '<':
            case 'L':
                term = actual < value;
                break;
            case '>':
            case 'G':
                term = actual > value;
                break;
            default:
                term = actual == value;
                break;
            }
        }
        stack.push(term);
        p = comparison;
        while (*p && !vxlStrChr(",*+", *p))
            ++p;
        if (!*p)
            break;
        for (; *p; ++p) {
            if (*p == ',')
                continue;
            if (*p == '+' || *p == '|') {
                const bool b = stack.pop();
                const bool a = stack.pop();
                stack.push(a || b);
            } else if (*p == '*' || *p == '&') {
                const bool b = stack.pop();
                const bool a = stack.pop();
                stack.push(a && b);
            } else {
                break;
            }
        }
    }
    return stack.top();
}

bool CVXLLayoutMessageComposer::validate(bool mediaOnly) const
{
    if (!scenario_)
        return false;
    if (!scenario_->onlyHelpOrTitleVisible()
        && (labelState() == kFieldStateModify || errorLabelState() == kFieldStateModify))
        return false;
    const std::vector<CVXLMediaItem*> selected = selection(services());
    for (std::uint32_t i = 0; i < slotCount_; ++i) {
        const CVXLFieldElement& slot = slots_[i];
        const CScenarioField* field = slot.field();
        const bool mediaSlot = slot.value() && slot.value()->asMediaList();
        if (!field || (mediaOnly && !mediaSlot) || !field->fieldDescription().editable())
            continue;
        const CScenarioFieldDescription& description = field->fieldDescription();
        if (description.typeCode() == kFieldTypeList) {
            for (std::uint32_t t = 0; t < description.typeNameCount(); ++t) {
                const char* prefix = description.typeName(t) == kVideos ? "video/"
                    : description.typeName(t) == kImages                ? "image/"
                                                                        : nullptr;
                if (prefix
                    && !within(
                        countSelected(selected, prefix), description.minAt(t), description.upperLimit(t)))
                    return false;
            }
            continue;
        }
        if (!within(fieldValue(i), description.minAt(0), description.upperLimit(0)))
            return false;
    }
    return true;
}

void CVXLLayoutMessageComposer::setMediaLink(const CVXLString& link, const CVXLString& mimeType)
{
    mediaLink_ = link;
    if (link.length() == 0) {
        mediaRef_ = CVXLMediaRefHandle();
        return;
    }
    mediaRef_.setMimeType(mimeType.c_str());
    mediaRef_.setValue(1);
}

CVXLObject* CVXLLayoutMessageComposer::takeAudio()
{
    CVXLObject* audio = audio_;
    audio_ = nullptr;
    return audio;
}

void CVXLLayoutMessageComposer::restoreAudio(CVXLObject* audio)
{
    if (audio == audio_)
        return;
    delete audio_;
    audio_ = audio;
}

bool CVXLLayoutMessageComposer::canSubmitAction(std::uint32_t eventId) const
{
    if (!hasAction(eventId))
        return false;
    switch (eventId & 0xFFFFu) {
    case kLayoutActionContinue:
        return labelState() == kFieldStateContinue || errorLabelState() == kFieldStateContinue;
    case kLayoutActionModify:
        return labelState() == kFieldStateModify || errorLabelState() == kFieldStateModify;
    case kLayoutActionHelp:
        return helpFlag_ != 0;
    default:
        return true;
    }
}

void CVXLLayoutMessageComposer::commitCurrentField()
{
    const CVXLFieldElement* slot = currentSlot();
    CVXLElement* value = slot ? slot->value() : nullptr;
    if (!value)
        return;
    if (CVXLAudioElement* audio = value->asAudio()) {
        if (CVXLObject* taken = audio->takeAudio()) {
            delete audio_;
            audio_ = taken;
        }
        audio->commit();
        return;
    }
    if (CVXLUserInputTextElement* input = value->asUserInputText()) {
        if (CScenarioField* field = const_cast<CScenarioField*>(slot->field())) {
            field->values().clear();
            field->values().append(input->text());
        }
        input->commit();
    }
}

int CVXLLayoutMessageComposer::submitAction(std::uint32_t eventId)
{
    if (!owner() || !canSubmitAction(eventId))
        return 0;
    const std::uint32_t action = eventId & 0xFFFFu;
    if (action == kLayoutActionUpdate || (action == kLayoutActionContinue && state() == 2))
        commitCurrentField();
    if (action == kLayoutActionContinue && album_ && scenario_) {
        if (CScenarioField* albums = scenario_->findField(kFieldAlbums)) {
            albums->values().clear();
            albums->values().append(album_->identifier());
        }
    }
    return CVXLLayout::submitAction(eventId);
}

bool CVXLLayoutMessageComposer::prepare()
{
    prepared_ = 1;
    return true;
}

void CVXLLayoutMessageComposer::detachView()
{
    clearSlots();
    CVXLLayout::detachView();
}
