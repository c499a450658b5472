// JsonList: a JSON value taken as a list, the way the asset documents define lists.
#pragma once

// NOTE: private to src/assets; it brings in the JSON parser, which nothing outside this
// folder may see.
#include <simdjson.h>

#include <cstddef>
#include <string>
#include <vector>

#include "assets/JsonEntry.h"

// An array gives its elements; an object gives its member values in document order, names
// dropped and repeated names kept; any other value is an empty list.
class JsonList {
public:
    explicit JsonList(simdjson::dom::element value);

    // The one parser every asset document goes through, reused so its buffers are allocated
    // once. Elements it returns stay valid until its next parse.
    static simdjson::dom::parser& getParser();
    // Frees the parser's buffers when they outgrew what the game's own documents need (the
    // parser keeps about ten times the largest document it has read). Elements from earlier
    // parses are then invalid.
    static void trimParser();
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

    // Appends N named float members of every entry to out (N floats per entry, in entry
    // order). out grows only as entries prove valid, so a long list of bogus entries costs
    // no memory before the first of them is refused. listName only goes into the problem.
    template <std::size_t N>
    bool readFloats(const char* listName, const char* const (&names)[N], std::vector<float>& out,
                    std::string& problem) const {
        return forEach([&](std::size_t position, simdjson::dom::element value) {
            const JsonEntry entry(value, listName, position);
            float values[N];
            if (!entry.check(problem) || !entry.getFloats(names, values, problem)) {
                return false;
            }
            out.insert(out.end(), values, values + N);
            return true;
        });
    }

private:
    simdjson::dom::array array;
    simdjson::dom::object object;
    bool isArray = false;
    bool isObject = false;
};
