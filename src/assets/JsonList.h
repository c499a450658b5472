// JsonList: a JSON value taken as a list, the way the asset documents define lists.
#pragma once

// NOTE: private to src/assets; it brings in the JSON parser, which nothing outside this
// folder may see.
#include <simdjson.h>

#include <cstddef>
#include <string>

#include "assets/JsonEntry.h"

// An array gives its elements; an object gives its member values in document order, names
// dropped and repeated names kept; any other value is an empty list.
class JsonList {
public:
    explicit JsonList(simdjson::dom::element value);

    // The one parser every asset document goes through, reused so its buffers are allocated
    // once. Elements it returns stay valid until its next parse.
    static simdjson::dom::parser& getParser();
    // Parses a whole document and gives its top-level object. On failure returns false and
    // says why in problem. padded: text is followed by the parser's padding (AssetFile).
    static bool parseTopLevel(const char* text, std::size_t size, bool padded,
                              simdjson::dom::object& members, std::string& problem);

    std::size_t size() const;
    bool isEmpty() const { return size() == 0; }
    // The first element; only meaningful when the list is not empty.
    simdjson::dom::element first() const;

    // Calls visit(position, element) for every element in order while visit returns true;
    // returns false when visit stopped the walk.
    template <class Visit>
    bool forEach(Visit visit) const {
        std::size_t position = 0;
        if (isArray) {
            for (simdjson::dom::element element : array) {
                if (!visit(position++, element)) {
                    return false;
                }
            }
        } else if (isObject) {
            for (simdjson::dom::key_value_pair member : object) {
                if (!visit(position++, member.value)) {
                    return false;
                }
            }
        }
        return true;
    }

    // Reads N named float members from every entry into out (N floats per entry, in entry
    // order); out must hold N * size() floats. listName only goes into the problem.
    template <std::size_t N>
    bool readFloats(const char* listName, const char* const (&names)[N], float* out,
                    std::string& problem) const {
        return forEach([&](std::size_t position, simdjson::dom::element value) {
            const JsonEntry entry(value, listName, position);
            return entry.check(problem) && entry.getFloats(names, out + N * position, problem);
        });
    }

private:
    simdjson::dom::array array;
    simdjson::dom::object object;
    bool isArray = false;
    bool isObject = false;
};
