#pragma once

#include "engine/core/settings/VXLPersStore.h"
#include "engine/service/VRAXEnvironment.h"

#include <string>

// An environment whose items, clock and settings a test sets by hand.
class FakeVraxEnvironment : public CVRAXEnvironment {
public:
    CVXLString phoneNumber() const override { return phone; }
    CVXLString mobileEmail() const override { return email; }
    CVXLString language() const override { return lang; }
    CVXLString deviceModel() const override { return model; }
    std::uint32_t currentTime() const override { return now; }
    CVXLPersStore& settings() override { return store; }

    std::string get(const char* key) const
    {
        CVXLString value;
        store.get(key, &value);
        return value.c_str();
    }

    CVXLString phone;
    CVXLString email;
    CVXLString lang;
    CVXLString model;
    std::uint32_t now = 0;
    CVXLPersStore store;
};
