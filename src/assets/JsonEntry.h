// JsonEntry: one entry of an asset document's list, read member by member with checks.
#pragma once

// NOTE: private to src/assets (brings in the JSON parser).
#include <simdjson.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Members are found by exact name; with repeated names the first one counts. Every getter
// returns false and describes the problem (naming the list and the entry) when the member is
// missing or its value does not fit.
class JsonEntry {
public:
    // The list's name and the entry's index in it only go into problem descriptions.
    JsonEntry(simdjson::dom::element value, const char* list, std::size_t index);

    // False, with a description, when the entry is not an object; check before the getters.
    bool check(std::string& problem) const;
    // The members names[0..N) as numbers that are finite once rounded to 32-bit floats.
    template <std::size_t N>
    bool getFloats(const char* const (&names)[N], float* out, std::string& problem) const {
        simdjson::dom::element values[N];
        if (!findAll(names, values, problem)) {
            return false;
        }
        for (std::size_t i = 0; i < N; ++i) {
            if (!toFloat(values[i], out[i])) {
                problem = describeValue(names[i], values[i], "a number finite as a 32-bit float");
                return false;
            }
        }
        return true;
    }
    // The members names[0..N) as numbers truncated toward zero (1.5 gives 1, -1.5 gives -1),
    // as a reader that reads numbers as integers takes them; the result must fit in 64 signed
    // bits.
    template <std::size_t N>
    bool getTruncatedIntegers(const char* const (&names)[N], std::int64_t* out,
                              std::string& problem) const {
        return getConverted(names, out, problem, toTruncatedInteger);
    }

    // A number that is finite once rounded to a 32-bit float.
    static bool toFloat(simdjson::dom::element value, float& out);
    static bool toTruncatedInteger(simdjson::dom::element value, std::int64_t& out);

    std::string describe() const;

private:
    template <std::size_t N>
    bool getConverted(const char* const (&names)[N], std::int64_t* out, std::string& problem,
                      bool (*convert)(simdjson::dom::element, std::int64_t&)) const {
        simdjson::dom::element values[N];
        if (!findAll(names, values, problem)) {
            return false;
        }
        for (std::size_t i = 0; i < N; ++i) {
            if (!convert(values[i], out[i])) {
                problem = describeValue(names[i], values[i], "an integer");
                return false;
            }
        }
        return true;
    }
    // One pass over the members, the first of each name counting: far cheaper than a lookup
    // per name on documents of many small entries.
    template <std::size_t N>
    bool findAll(const char* const (&names)[N], simdjson::dom::element (&values)[N],
                 std::string& problem) const {
        unsigned found = 0;
        for (simdjson::dom::key_value_pair member : object) {
            for (std::size_t i = 0; i < N; ++i) {
                if ((found & (1u << i)) == 0 && isName(member.key, names[i])) {
                    values[i] = member.value;
                    found |= 1u << i;
                    break;
                }
            }
        }
        for (std::size_t i = 0; i < N; ++i) {
            if ((found & (1u << i)) == 0) {
                problem = describe() + " has no \"" + names[i] + "\"";
                return false;
            }
        }
        return true;
    }

    // NOTE: by length and bytes: a key may hold an escaped NUL ("x\u0000"), and walking it
    // as a C string would both read past the name and take it for "x".
    static bool isName(std::string_view key, const char* name) {
        return key == std::string_view(name);
    }
    // "<entry>: "<name>" is not <wanted>", saying why when the value is a number.
    std::string describeValue(const char* name, simdjson::dom::element value,
                              const char* wanted) const;

    simdjson::dom::object object;
    bool isObject = false;
    const char* listName;
    std::size_t position;
};
