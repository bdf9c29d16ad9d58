#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

class CVXLObject;

// A set of object addresses that forgets each address as its object is
// destroyed (whatever thread destroys it), so an address still in the set
// names the object it was added for, never a freed one or a newcomer at the
// same address. Costs every destruction one atomic read while no watch holds
// an address.
class CVXLObjectWatch {
public:
    CVXLObjectWatch() = default;
    CVXLObjectWatch(const CVXLObjectWatch&) = delete;
    CVXLObjectWatch& operator=(const CVXLObjectWatch&) = delete;
    ~CVXLObjectWatch();

    void add(const CVXLObject* object);
    bool contains(const CVXLObject* object) const;
    std::uint32_t count() const;
    void clear();

    // Called by every object's destructor.
    static void objectDestroyed(const CVXLObject* object);

private:
    void link();
    void unlink();

    std::vector<const CVXLObject*> objects_;
    bool linked_ = false;
    CVXLObjectWatch* next_ = nullptr;
};
