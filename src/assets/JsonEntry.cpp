// JsonEntry: one entry of an asset document's list, read member by member with checks.
#include "assets/JsonEntry.h"

#include <cfloat>
#include <cmath>

namespace {

// Doubles below this magnitude round to a finite float; from it on they round to infinity
// (FLT_MAX plus half of its unit in the last place, exactly representable as a double).
const double floatLimit = static_cast<double>(FLT_MAX) + std::ldexp(1.0, 103);

}  // namespace

JsonEntry::JsonEntry(simdjson::dom::element value, const char* list, std::size_t index)
    : listName(list), position(index) {
    isObject = value.get_object().get(object) == simdjson::SUCCESS;
}

std::string JsonEntry::describe() const {
    return std::string("\"") + listName + "\" entry " + std::to_string(position);
}

bool JsonEntry::check(std::string& problem) const {
    if (!isObject) {
        problem = describe() + " is not an object";
    }
    return isObject;
}

bool JsonEntry::toFloat(simdjson::dom::element value, float& out) {
    double number = 0;
    if (value.get_double().get(number) != simdjson::SUCCESS || !(std::fabs(number) < floatLimit)) {
        return false;
    }
    out = static_cast<float>(number);
    return true;
}

bool JsonEntry::toTruncatedInteger(simdjson::dom::element value, std::int64_t& out) {
    if (value.get_int64().get(out) == simdjson::SUCCESS) {
        return true;
    }
    double number = 0;
    if (!value.is_double() || value.get_double().get(number) != simdjson::SUCCESS) {
        return false;
    }
    // Inside [-2^63, 2^63) the cast of the truncated value is exact; past it, undefined.
    const double whole = std::trunc(number);
    if (!(whole >= -9223372036854775808.0 && whole < 9223372036854775808.0)) {
        return false;
    }
    out = static_cast<std::int64_t>(whole);
    return true;
}

std::string JsonEntry::describeValue(const char* name, simdjson::dom::element value,
                                     const char* wanted) const {
    std::string why;
    // Every number refused is out of range: fractions are accepted, truncated or as floats.
    if (value.is_uint64() || value.is_double()) {
        why = " (too large)";
    }
    return describe() + ": \"" + name + "\" is not " + wanted + why;
}
