// JsonEntry: one entry of an asset document's list, read member by member with checks.
#pragma once

// NOTE: private to src/assets (brings in the JSON parser).
#include <simdjson.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Members are found by exact name; with repeated names the first one counts. Every getter
// returns false and describes the problem (naming the list and the entry) when the member is
// missing or its value does not fit.
class JsonEntry {
public:
    // listName and position only go into problem descriptions.
    JsonEntry(simdjson::dom::element value, const char* listName, std::size_t position);

    // False, with a description, when the entry is not an object; check before the getters.
    bool check(std::string& problem) const;
    // A number that is finite once rounded to a 32-bit float.
    bool getFloat(const char* name, float& out, std::string& problem) const;
    // A whole number (written as an integer or as a number with no fraction) that fits in
    // 64 signed bits.
    bool getInteger(const char* name, std::int64_t& out, std::string& problem) const;

    // The same rule as getFloat for a value that is not inside an entry.
    static bool toFloat(simdjson::dom::element value, float& out);

    std::string describe() const;

private:
    bool find(const char* name, simdjson::dom::element& value, std::string& problem) const;

    simdjson::dom::object object;
    bool isObject = false;
    const char* listName;
    std::size_t position;
};
