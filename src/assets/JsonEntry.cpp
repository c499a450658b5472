// JsonEntry: one entry of an asset document's list, read member by member with checks.
#include "assets/JsonEntry.h"

#include <cfloat>
#include <cmath>

namespace {

// Doubles below this magnitude round to a finite float; from it on they round to infinity
// (FLT_MAX plus half of its unit in the last place, exactly representable as a double).
const double floatLimit = static_cast<double>(FLT_MAX) + std::ldexp(1.0, 103);

}  // namespace

JsonEntry::JsonEntry(simdjson::dom::element value, const char* listName, std::size_t position)
    : listName(listName), position(position) {
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

bool JsonEntry::find(const char* name, simdjson::dom::element& value, std::string& problem) const {
    if (object.at_key(name).get(value) != simdjson::SUCCESS) {
        problem = describe() + " has no \"" + name + "\"";
        return false;
    }
    return true;
}

bool JsonEntry::toFloat(simdjson::dom::element value, float& out) {
    double number = 0;
    if (value.get_double().get(number) != simdjson::SUCCESS || !(std::fabs(number) < floatLimit)) {
        return false;
    }
    out = static_cast<float>(number);
    return true;
}

bool JsonEntry::getFloat(const char* name, float& out, std::string& problem) const {
    simdjson::dom::element value;
    if (!find(name, value, problem)) {
        return false;
    }
    if (toFloat(value, out)) {
        return true;
    }
    problem = describe() + ": \"" + name + "\" is " +
              (value.is_number() ? "not finite as a 32-bit float" : "not a number");
    return false;
}

bool JsonEntry::getInteger(const char* name, std::int64_t& out, std::string& problem) const {
    simdjson::dom::element value;
    if (!find(name, value, problem)) {
        return false;
    }
    if (value.get_int64().get(out) == simdjson::SUCCESS) {
        return true;
    }
    double number = 0;
    // A double is whole and inside [-2^63, 2^63) exactly when this range test and the
    // fraction test pass; the cast is then exact.
    if (value.is_double() && value.get_double().get(number) == simdjson::SUCCESS &&
        number >= -9223372036854775808.0 && number < 9223372036854775808.0 &&
        std::trunc(number) == number) {
        out = static_cast<std::int64_t>(number);
        return true;
    }
    const bool whole = value.is_uint64() || (value.is_double() && std::trunc(number) == number);
    problem = describe() + ": \"" + name + "\" is not " +
              (whole ? "an integer that fits in 64 bits" : "an integer");
    return false;
}
