// JsonList: a JSON value taken as a list, the way the asset documents define lists.
#include "assets/JsonList.h"

#include <cstring>

JsonList::JsonList(simdjson::dom::element value) {
    isArray = value.get_array().get(array) == simdjson::SUCCESS;
    isObject = !isArray && value.get_object().get(object) == simdjson::SUCCESS;
}

simdjson::dom::parser& JsonList::getParser() {
    static simdjson::dom::parser parser;
    return parser;
}

void JsonList::trimParser() {
    // The game's documents are all under 100 KB: buffers for them are worth keeping.
    const std::size_t keptCapacity = std::size_t{1} << 20;
    simdjson::dom::parser& parser = getParser();
    if (parser.capacity() > keptCapacity) {
        parser = simdjson::dom::parser();
    }
}

bool JsonList::parseTopLevel(const char* text, std::size_t size, bool padded,
                             simdjson::dom::object& members, std::string& problem) {
    simdjson::dom::element root;
    // NOTE: a UTF-8 byte-order mark, which some editors put first, is skipped: the text
    // after it is the document, and JSON allows a reader to ignore the mark.
    if (size >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
        text += 3;
        size -= 3;
    }
    if (size == 0) {
        problem = "the file is empty";
    } else if (const auto error = getParser().parse(text, size, !padded).get(root)) {
        problem = std::string("not valid JSON: ") + simdjson::error_message(error);
    } else if (root.get_object().get(members) != simdjson::SUCCESS) {
        problem = "the top level is not an object";
    } else {
        return true;
    }
    return false;
}

std::size_t JsonList::size() const {
    // NOTE: the parser saturates stored sizes at 0xFFFFFF; past that, count by walking.
    const std::size_t saturated = 0xFFFFFF;
    std::size_t count = isArray ? array.size() : isObject ? object.size() : 0;
    if (count >= saturated) {
        count = 0;
        forEach([&count](std::size_t, simdjson::dom::element) {
            ++count;
            return true;
        });
    }
    return count;
}

simdjson::dom::element JsonList::first() const {
    if (isArray) {
        return *array.begin();
    }
    return (*object.begin()).value;
}
