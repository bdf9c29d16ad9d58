#include "platform/mapi/MailRuleClient.h"
#include "platform/shell/ContextMenu.h"
#include "shell/tesselfm/Factory.h"
#include "shell/tesselfm/TesselContextMenu.h"
#include "tests/shell/tesselfm/FmLibrary.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tessel;
using com::HResult;

const com::Guid kMenuClasses[] = {fm::kClsidMenuMedia, fm::kClsidMenuContact, fm::kClsidMenuSendVia,
    fm::kClsidMenuReplyVia, fm::kClsidMenuCallLog};

struct ExportsTest : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(library.loaded()) << library.error; }
    void TearDown() override
    {
        EXPECT_EQ(library.canUnloadNow(), com::kSOk) << "an object of the test lives on";
    }

    TempDeviceRoot root;
    FmLibrary library;
};

TEST(TesselFmExports, TheDynamicSymbolTableDefinesExactlyTheNineEntryPoints)
{
    const TestCommandResult nm = testRunCommand(std::string("nm -D --defined-only ") + FmLibrary::kPath);
    ASSERT_EQ(nm.status, 0);
    std::set<std::string> names;
    for (const std::string& line : testLines(nm.output))
        names.insert(line.substr(line.rfind(' ') + 1));
    EXPECT_EQ(names,
        (std::set<std::string> {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
            "DllUnregisterServer", "FormFactoryEx", "Install_Exit", "Install_Init", "Uninstall_Exit",
            "Uninstall_Init"}))
        << nm.output;
}

TEST_F(ExportsTest, EachOfTheSixClassesHasAFactoryAndAnUnknownClassHasNone)
{
    std::vector<com::Guid> classes(std::begin(kMenuClasses), std::end(kMenuClasses));
    classes.push_back(fm::kClsidRuleClient);
    for (const com::Guid& clsid : classes) {
        HResult result = 0;
        auto* factory = library.classObject<com::IClassFactory>(clsid, com::kIidIClassFactory, &result);
        ASSERT_EQ(result, com::kSOk) << com::formatGuid(clsid);
        ASSERT_NE(factory, nullptr);
        void* unknown = nullptr;
        EXPECT_EQ(factory->queryInterface(com::kIidIUnknown, &unknown), com::kSOk);
        EXPECT_EQ(unknown, factory);
        factory->release();
        EXPECT_EQ(factory->release(), 0u) << com::formatGuid(clsid);
    }
    HResult result = 0;
    EXPECT_EQ(library.classObject<void>(
                  com::guid("{00000000-1111-2222-3333-444444444444}"), com::kIidIClassFactory, &result),
        nullptr);
    EXPECT_EQ(result, com::kEFail);
}

TEST_F(ExportsTest, AWrongInterfaceIsRefusedAndLoggedAndLeavesNothingAlive)
{
    struct Case {
        com::Guid clsid;
        const char* logged; // nullptr: nothing
    };
    const Case cases[] = {
        {fm::kClsidRuleClient, "DllGetClassObject - CFactory::GetClassObject failed"},
        {fm::kClsidMenuMedia, nullptr},
    };
    for (const Case& c : cases) {
        HResult result = 0;
        EXPECT_EQ(library.classObject<void>(c.clsid, shell::kIidContextMenu, &result), nullptr);
        EXPECT_EQ(result, com::kENoInterface);
        // A context-menu factory no one took must not hold the library.
        EXPECT_EQ(library.canUnloadNow(), com::kSOk) << com::formatGuid(c.clsid);
    }
    EXPECT_EQ(testFileLines(root.hostPath("log/tesselfm.log")),
        std::vector<std::string> {"DllGetClassObject - CFactory::GetClassObject failed"});

    // The objects the factories make answer their own interfaces only.
    auto* rules = library.classObject<com::IClassFactory>(fm::kClsidRuleClient, com::kIidIClassFactory);
    ASSERT_NE(rules, nullptr);
    void* object = nullptr;
    EXPECT_EQ(rules->createInstance(nullptr, shell::kIidContextMenu, &object), com::kENoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(
        rules->createInstance(reinterpret_cast<com::IUnknown*>(rules), mapi::kIidMailRuleClient, &object),
        com::kClassENoAggregation);
    ASSERT_EQ(rules->createInstance(nullptr, mapi::kIidMailRuleClient, &object), com::kSOk);
    static_cast<mapi::IMailRuleClient*>(object)->release();
    rules->release();
    EXPECT_NE(root.readFile("log/tesselfm.log").find("CFactory::CreateInstance - QueryInterface failed"),
        std::string::npos);

    auto* menus = library.classObject<com::IClassFactory>(fm::kClsidMenuCallLog, com::kIidIClassFactory);
    ASSERT_NE(menus, nullptr);
    EXPECT_EQ(menus->createInstance(nullptr, mapi::kIidMailRuleClient, &object), com::kENoInterface);
    EXPECT_EQ(menus->createInstance(nullptr, shell::kIidContextMenu, nullptr), com::kEInvalidArg);
    menus->release();
}

TEST_F(ExportsTest, LockServerAndLiveContextMenusHoldTheLibraryLoaded)
{
    auto* rules = library.classObject<com::IClassFactory>(fm::kClsidRuleClient, com::kIidIClassFactory);
    ASSERT_NE(rules, nullptr);
    EXPECT_EQ(library.canUnloadNow(), com::kSOk) << "the rule factory itself does not hold it";
    EXPECT_EQ(rules->lockServer(true), com::kSOk);
    rules->release();
    EXPECT_EQ(library.canUnloadNow(), com::kSFalse);
    rules = library.classObject<com::IClassFactory>(fm::kClsidRuleClient, com::kIidIUnknown);
    ASSERT_NE(rules, nullptr);
    EXPECT_EQ(rules->lockServer(false), com::kSOk);
    EXPECT_EQ(library.canUnloadNow(), com::kSOk);
    rules->release();

    auto* menus = library.classObject<com::IClassFactory>(fm::kClsidMenuMedia, com::kIidIClassFactory);
    ASSERT_NE(menus, nullptr);
    EXPECT_EQ(library.canUnloadNow(), com::kSFalse) << "a live factory";
    shell::IObjectWithSite* site = nullptr;
    ASSERT_EQ(menus->createInstance(nullptr, shell::kIidObjectWithSite, reinterpret_cast<void**>(&site)),
        com::kSOk);
    menus->release();
    EXPECT_EQ(library.canUnloadNow(), com::kSFalse) << "a live context menu";
    shell::IContextMenu* menu = nullptr;
    ASSERT_EQ(site->queryInterface(shell::kIidContextMenu, reinterpret_cast<void**>(&menu)), com::kSOk);
    site->release();
    EXPECT_EQ(library.canUnloadNow(), com::kSFalse);
    EXPECT_EQ(menu->release(), 0u);
}

TEST_F(ExportsTest, EightThreadsKeepTheReferenceCountsExact)
{
    constexpr int kThreads = 8;
    constexpr int kPairs = 100000;
    auto* rules = library.classObject<com::IClassFactory>(fm::kClsidRuleClient, com::kIidIClassFactory);
    auto* menus = library.classObject<com::IClassFactory>(fm::kClsidMenuContact, com::kIidIClassFactory);
    ASSERT_NE(rules, nullptr);
    ASSERT_NE(menus, nullptr);
    com::IUnknown* menu = nullptr;
    ASSERT_EQ(
        menus->createInstance(nullptr, shell::kIidContextMenu, reinterpret_cast<void**>(&menu)), com::kSOk);
    for (com::IUnknown* object : {static_cast<com::IUnknown*>(rules), menu}) {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([object] {
                for (int i = 0; i < kPairs; ++i) {
                    object->addRef();
                    object->release();
                }
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(object->addRef(), 2u);
        EXPECT_EQ(object->release(), 1u);
    }
    EXPECT_EQ(menu->release(), 0u);
    EXPECT_EQ(menus->release(), 0u);
    EXPECT_EQ(rules->release(), 0u);
}

} // namespace
