#include "shell/tesselfm/TesselFormProvider.h"

#include "platform/ipc/WindowExchange.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/PropValue.h"
#include "platform/phone/DeviceControl.h"
#include "shell/LaunchHandoff.h"
#include "shell/tesselfm/FmModule.h"
#include "shell/tesselfm/SetupHooks.h"
#include "shell/tesselfm/TesselContextMenu.h"
#include "shell/tesselfm/TesselReadForm.h"
#include "ui/LaunchRequest.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

namespace tessel::fm {

namespace {

constexpr const char* kMyDocuments = "\\My Documents";
constexpr const char* kDcim = "\\DCIM";
constexpr const char* kVolatile = "\\Application Data\\Volatile";
constexpr const char* kTemp = "\\Temp";
constexpr int kMaxNumberedNames = 1000;

bool isRegularFile(const std::string& phonePath)
{
    std::string host;
    struct stat info { };
    return kernel::mapPhonePath(phonePath, &host) && ::stat(host.c_str(), &info) == 0
        && S_ISREG(info.st_mode);
}

// The name's last component, or empty when it names no file.
std::string safeName(const std::string& name)
{
    const std::size_t slash = name.find_last_of("\\/");
    std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    if (last == "." || last == ".." || last.find('\0') != std::string::npos)
        return {};
    return last;
}

// "a.jpg" numbered: "a-1.jpg", "a-2.jpg" ...
std::string numberedName(const std::string& name, int number)
{
    if (number == 0)
        return name;
    const std::size_t dot = name.rfind('.');
    const std::string suffix = "-" + std::to_string(number);
    return dot == std::string::npos || dot == 0 ? name + suffix
                                                : name.substr(0, dot) + suffix + name.substr(dot);
}

// Writes the data whole to a new file of "\Temp" named after name, never
// replacing one: the file appears under its name only once complete.
std::string writeTempFile(const std::string& name, const std::string& data)
{
    std::string folder;
    if (!kernel::mapPhonePath(kTemp, &folder) || !kernel::makeHostFolders(folder))
        return {};
    const std::string partial = folder + "/.tesselfm." + std::to_string(::getpid()) + ".tmp";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return {};
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t wrote = ::write(fd, data.data() + done, data.size() - done);
        if (wrote <= 0)
            break;
        done += static_cast<std::size_t>(wrote);
    }
    const bool whole = done == data.size() && ::fsync(fd) == 0;
    ::close(fd);
    std::string placed;
    for (int number = 0; whole && number < kMaxNumberedNames && placed.empty(); ++number) {
        const std::string candidate = numberedName(name, number);
        // link() refuses an existing name, so a file is never replaced.
        if (::link(partial.c_str(), (folder + "/" + candidate).c_str()) == 0)
            placed = std::string(kTemp) + "\\" + candidate;
        else if (errno != EEXIST)
            break;
    }
    ::unlink(partial.c_str());
    return placed;
}

// The subject and sender (with ";") of the message replied to.
void ReadRepliedMessage(mapi::MapiMessage* message, std::u16string* sender, std::u16string* subject)
{
    if (!message) {
        fmLog("Unable to get the message body!\n");
        return;
    }
    const mapi::PropRow props
        = message->getProps({mapi::kPropMessageFlags, mapi::kPropSubject, mapi::kPropSenderEmail});
    *subject = CTesselContextMenu::bounded(props[1].isMissing() ? u"" : kernel::utf8ToWide(props[1].text));
    fmLog("Subject: %s\n", kernel::wideToUtf8(*subject).c_str());
    const std::string from = props[2].isMissing() ? std::string() : props[2].text;
    fmLog("My Message PR_SENDER_EMAIL_ADDRESS: %s\n", from.c_str());
    *sender = CTesselContextMenu::bounded(kernel::utf8ToWide(from) + u";");
}

} // namespace

com::HResult CTesselFormProvider::queryInterface(const com::Guid& iid, void** object)
{
    if (!object)
        return com::kEPointer;
    if (iid != com::kIidIUnknown && iid != mapi::kIidFormProvider) {
        *object = nullptr;
        return com::kENoInterface;
    }
    *object = static_cast<mapi::IFormProvider*>(this);
    addRef();
    return com::kSOk;
}

std::uint32_t CTesselFormProvider::addRef()
{
    return refs_.fetch_add(1) + 1;
}

std::uint32_t CTesselFormProvider::release()
{
    const std::uint32_t count = refs_.fetch_sub(1) - 1;
    if (count == 0)
        delete this;
    return count;
}

com::HResult CTesselFormProvider::setMessageClass(const char16_t* messageClass)
{
    if (!messageClass)
        return com::kEInvalidArg;
    messageClass_ = messageClass;
    fmTrace("Noting the message class: %s\n", kernel::wideToUtf8(messageClass_).c_str());
    return com::kSOk;
}

com::HResult CTesselFormProvider::messageStatusIcon(std::uint32_t messageFlags, std::int32_t* icon)
{
    if (!icon)
        return com::kEFail;
    *icon = (messageFlags & 1) ? 0 : 1;
    return com::kSOk;
}

com::HResult CTesselFormProvider::composeForm(mapi::IMessageSite*, mapi::MapiMessage* message,
    std::uint32_t composeKind, mapi::MapiMessage* repliedTo, const mapi::ComposeFormFields* fields,
    mapi::IMessageForm** form, com::IUnknown** extra)
{
    if (form)
        *form = nullptr;
    if (extra)
        *extra = nullptr;
    const mapi::ComposeFormFields none;
    if (!fields)
        fields = &none;
    attachmentPath_ = SaveAttachment(message);
    const char16_t* media = attachmentPath_.c_str();
    if (composeKind == mapi::kComposeReply || composeKind == mapi::kComposeReplyAll) {
        std::u16string sender;
        std::u16string subject;
        ReadRepliedMessage(repliedTo, &sender, &subject);
        const std::u16string re = CTesselContextMenu::bounded(u"RE:" + subject);
        PostComposeRequest(kLaunchClassSms, sender.c_str(), re.c_str(), media, fields->body.c_str());
        return com::kSOk;
    }
    PostComposeRequest(
        messageClass_.c_str(), fields->to.c_str(), fields->subject.c_str(), media, fields->body.c_str());
    if (!attachmentPath_.empty()) {
        if (const ui::WindowHandle inbox = ipc::findWindow(kInboxWindowClass, nullptr))
            ipc::postToProcess(inbox, ui::kWmClose, 0, 0);
    }
    return com::kSOk;
}

com::HResult CTesselFormProvider::readForm(
    mapi::IMessageSite* site, mapi::MapiMessage* message, ui::WindowHandle parent, mapi::IMessageForm** form)
{
    if (!message || !form)
        return com::kEFail;
    *form = nullptr;
    auto* made = new (std::nothrow) CTesselReadForm(site);
    if (!made)
        return com::kEOutOfMemory;
    com::HResult result = made->setMessage(0, message);
    if (com::succeeded(result))
        result = made->createView(parent);
    if (com::failed(result)) {
        made->release();
        return result;
    }
    *form = made;
    return com::kSOk;
}

void CTesselFormProvider::FindFileInTree(
    const std::string& folder, const std::string& name, std::string* found, int* count)
{
    std::string host;
    if (kernel::equalsIgnoringAsciiCase(folder, kVolatile) || !kernel::mapPhonePath(folder, &host))
        return;
    const std::string candidate = folder + "\\" + name;
    if (isRegularFile(candidate)) {
        ++*count;
        *found = candidate;
    }
    DIR* dir = ::opendir(host.c_str());
    if (!dir)
        return;
    std::vector<std::string> subfolders;
    while (dirent* entry = ::readdir(dir)) {
        const std::string child = entry->d_name;
        if (child == "." || child == "..")
            continue;
        struct stat info { };
        // lstat: a link to a folder could lead in a circle or out of the root.
        if (::lstat((host + "/" + child).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            subfolders.push_back(child);
    }
    ::closedir(dir);
    for (const std::string& child : subfolders)
        FindFileInTree(folder + "\\" + child, name, found, count);
}

std::u16string CTesselFormProvider::SaveAttachment(mapi::MapiMessage* message)
{
    if (!message)
        return {};
    const std::vector<mapi::PropRow> rows = message->attachmentTable({mapi::kPropAttachFileName});
    if (rows.empty())
        return {};
    const mapi::PropValue number = mapi::findProp(rows.front(), mapi::kPropAttachNumber);
    mapi::PropRow attachment;
    if (number.isMissing() || message->openAttachment(number.number, &attachment) != mapi::kMapiOk)
        return {};
    const mapi::PropValue fileName = mapi::findProp(attachment, mapi::kPropAttachFileName);
    const std::string name = fileName.isMissing() ? std::string() : safeName(fileName.text);
    if (name.empty()) {
        fmLog("SaveAttachment: the attachment's name names no file, not saved");
        return {};
    }

    std::vector<std::string> searched = {kMyDocuments};
    std::string card;
    if (phone::firstFlashCard(&card)) {
        searched.push_back(card + kMyDocuments);
        searched.push_back(card + kDcim);
    }
    std::string path;
    for (const std::string& folder : searched) {
        std::string found;
        int count = 0;
        FindFileInTree(folder, name, &found, &count);
        if (count == 0)
            continue;
        if (count == 1)
            path = found;
        break;
    }
    if (path.empty() && isRegularFile(std::string(kVolatile) + "\\" + name))
        path = std::string(kVolatile) + "\\" + name;
    if (path.empty()) {
        const mapi::PropValue data = mapi::findProp(attachment, mapi::kPropAttachData);
        if (!data.isMissing())
            path = writeTempFile(name, data.text);
    }
    std::u16string wide = kernel::utf8ToWide(path);
    if (wide.size() >= kMaxAttachmentPathChars)
        return {};
    return wide;
}

} // namespace tessel::fm
