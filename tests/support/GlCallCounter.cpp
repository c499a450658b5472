// GlCallCounter: a counting stand-in for each entry of the GL table, made from the table's
// own list.
#include "support/GlCallCounter.h"

#include <cstring>

#include "app/GLFunctions.h"

namespace {

enum Entry : int {
#define VOLK_COUNTER_ENTRY(type, name, used, version) entry_##name,
    VOLK_GL_FUNCTIONS(VOLK_COUNTER_ENTRY)
#undef VOLK_COUNTER_ENTRY
        entryCount
};

const char* const entryNames[] = {
#define VOLK_COUNTER_NAME(type, name, used, version) #name,
    VOLK_GL_FUNCTIONS(VOLK_COUNTER_NAME)
#undef VOLK_COUNTER_NAME
};

long counts[entryCount] = {};

// The driver's entry behind each stand-in.
template <int index, typename Pointer>
Pointer& original() {
    static Pointer pointer = nullptr;
    return pointer;
}

template <int index, typename Pointer>
struct StandIn;

template <int index, typename Result, typename... Arguments>
struct StandIn<index, Result(APIENTRYP)(Arguments...)> {
    using Pointer = Result(APIENTRYP)(Arguments...);
    static Result APIENTRY call(Arguments... arguments) {
        ++counts[index];
        return original<index, Pointer>()(arguments...);
    }
};

}  // namespace

GlCallCounter::GlCallCounter() {
    reset();
    // NOTE: an entry the driver lacks stays null, so the program's checks still see it.
#define VOLK_COUNTER_INSTALL(type, name, used, version)         \
    original<entry_##name, type>() = GLFunctions::name;         \
    if (GLFunctions::name != nullptr) {                         \
        GLFunctions::name = &StandIn<entry_##name, type>::call; \
    }
    VOLK_GL_FUNCTIONS(VOLK_COUNTER_INSTALL)
#undef VOLK_COUNTER_INSTALL
}

GlCallCounter::~GlCallCounter() {
#define VOLK_COUNTER_RESTORE(type, name, used, version) \
    GLFunctions::name = original<entry_##name, type>();
    VOLK_GL_FUNCTIONS(VOLK_COUNTER_RESTORE)
#undef VOLK_COUNTER_RESTORE
}

long GlCallCounter::count(const char* name) const {
    for (int i = 0; i < entryCount; ++i) {
        if (std::strcmp(entryNames[i], name) == 0) {
            return counts[i];
        }
    }
    return 0;
}

long GlCallCounter::total() const {
    long sum = 0;
    for (const long c : counts) {
        sum += c;
    }
    return sum;
}

void GlCallCounter::reset() {
    for (long& c : counts) {
        c = 0;
    }
}

std::string GlCallCounter::report() const {
    std::string lines;
    for (int i = 0; i < entryCount; ++i) {
        if (counts[i] != 0) {
            lines += std::string(entryNames[i]) + " " + std::to_string(counts[i]) + "\n";
        }
    }
    return lines;
}
