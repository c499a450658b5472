// GlCallCounter: counts the program's GL calls by name while it lives, standing in for every
// entry of the GL table.
#pragma once

#include <string>

// While one lives, each call the program makes through the GL table is counted under its
// name and passed on to the driver; its destructor puts the table back. Make it after the
// table is loaded (a context's initRenderState), one at a time.
class GlCallCounter {
public:
    GlCallCounter();
    ~GlCallCounter();
    GlCallCounter(const GlCallCounter&) = delete;
    GlCallCounter& operator=(const GlCallCounter&) = delete;

    // Calls of that entry so far; 0 for a name that is not in the table.
    long count(const char* name) const;
    long total() const;
    // Starts every count again from zero.
    void reset();
    // "name count" lines of the entries called, in table order.
    std::string report() const;
};
