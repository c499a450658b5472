// MeshAnimation: reading keyframe animations and taking poses between keyframes.
#include "assets/MeshAnimation.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "assets/JsonList.h"

namespace {

const char* const keyMembers[] = {"startTime", "vertices", "uvs", "colors"};
const char* const positionNames[] = {"x", "y", "z"};
const char* const colorNames[] = {"r", "g", "b"};
const char* const uvNames[] = {"u", "v"};

std::string formatTime(float time) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(time));
    return text;
}

std::string describeKey(std::size_t animation, std::size_t key) {
    return "animation " + std::to_string(animation) + " keyframe " + std::to_string(key);
}

}  // namespace

void MeshAnimation::clear() { *this = MeshAnimation(); }

bool MeshAnimation::load(const JsonList& animations, std::string& problem) {
    clear();
    if (!measure(animations, problem) || !readKeyframes(animations, problem)) {
        clear();
        return false;
    }
    currentVertices.assign(3 * static_cast<std::size_t>(vertexCount), 0.0f);
    currentColors.assign(3 * static_cast<std::size_t>(vertexCount), 0.0f);
    currentUvs.assign(2 * static_cast<std::size_t>(vertexCount), 0.0f);
    return true;
}

// Counts animations and keyframes and checks every keyframe's shape before anything is sized
// from those counts, so a document cannot ask for more storage than its own entries justify.
bool MeshAnimation::measure(const JsonList& animations, std::string& problem) {
    const std::size_t count = animations.size();
    if (count == 0) {
        problem = "there are no animations";
        return false;
    }
    if (count > 65535) {
        problem = "there are " + std::to_string(count) + " animations, more than 65535";
        return false;
    }
    std::size_t keys = 0;
    std::size_t vertices = 0;
    const bool ok = animations.forEach([&](std::size_t a, simdjson::dom::element value) {
        // Only an animation's first member counts: its keyframe list.
        const JsonList animation(value);
        if (animation.isEmpty() || JsonList(animation.first()).isEmpty()) {
            problem = "animation " + std::to_string(a) + " has no keyframes";
            return false;
        }
        const JsonList keyframes(animation.first());
        firstKey.push_back(static_cast<int>(keys));
        return keyframes.forEach([&](std::size_t j, simdjson::dom::element keyValue) {
            simdjson::dom::object key;
            if (keyValue.get_object().get(key) != simdjson::SUCCESS) {
                problem = describeKey(a, j) + " is not an object";
                return false;
            }
            std::size_t sizes[4] = {};
            for (std::size_t m = 0; m < 4; ++m) {
                simdjson::dom::element member;
                if (key.at_key(keyMembers[m]).get(member) != simdjson::SUCCESS) {
                    problem = describeKey(a, j) + " has no \"" + keyMembers[m] + "\"";
                    return false;
                }
                sizes[m] = JsonList(member).size();
            }
            if (keys == 0) {
                vertices = sizes[1];
            }
            if (sizes[1] != vertices || sizes[2] != vertices || sizes[3] != vertices) {
                problem = describeKey(a, j) + " has " + std::to_string(sizes[1]) +
                          " \"vertices\", " + std::to_string(sizes[2]) + " \"uvs\" and " +
                          std::to_string(sizes[3]) + " \"colors\" entries where the first " +
                          "keyframe has " + std::to_string(vertices) + " of each";
                return false;
            }
            ++keys;
            return true;
        });
    });
    if (!ok) {
        return false;
    }
    if (keys > static_cast<std::size_t>(INT_MAX) ||
        vertices > static_cast<std::size_t>(INT_MAX / 3)) {
        problem = "too many keyframes or vertices";
        return false;
    }
    animationCount = static_cast<std::uint16_t>(count);
    keyCount = static_cast<int>(keys);
    vertexCount = static_cast<int>(vertices);
    return true;
}

bool MeshAnimation::readKeyframes(const JsonList& animations, std::string& problem) {
    const std::size_t keys = static_cast<std::size_t>(keyCount);
    // NOTE: the key arrays grow as entries prove valid (measure only counted them), so a
    // keyframe of bare numbers cannot ask for more memory than its own valid entries.
    keyVertices.clear();
    keyColors.clear();
    keyUvs.clear();
    keyTimes.assign(keys, 0.0f);
    std::size_t k = 0;
    return animations.forEach([&](std::size_t a, simdjson::dom::element value) {
        const JsonList keyframes(JsonList(value).first());
        return keyframes.forEach([&](std::size_t j, simdjson::dom::element keyValue) {
            const simdjson::dom::object key = keyValue.get_object().value_unsafe();
            float time = 0;
            if (!JsonEntry::toFloat(key.at_key("startTime").value_unsafe(), time)) {
                problem = describeKey(a, j) + ": \"startTime\" is not a number finite as a " +
                          "32-bit float";
                return false;
            }
            // NOTE: between 0 and a later first start time there would be no keyframe pair
            // to blend, so every animation must start at 0.
            if (j == 0 && time != 0.0f) {
                problem =
                    "animation " + std::to_string(a) + " starts at " + formatTime(time) + ", not 0";
                return false;
            }
            if (j > 0 && time < keyTimes[k - 1]) {
                problem = describeKey(a, j) + " starts at " + formatTime(time) +
                          ", before the keyframe ahead of it at " + formatTime(keyTimes[k - 1]);
                return false;
            }
            keyTimes[k] = time;
            const std::string where = describeKey(a, j) + ": ";
            if (!JsonList(key.at_key("vertices").value_unsafe())
                     .readFloats("vertices", positionNames, keyVertices, problem) ||
                !JsonList(key.at_key("uvs").value_unsafe())
                     .readFloats("uvs", uvNames, keyUvs, problem) ||
                !JsonList(key.at_key("colors").value_unsafe())
                     .readFloats("colors", colorNames, keyColors, problem)) {
                problem = where + problem;
                return false;
            }
            ++k;
            return true;
        });
    });
}

void MeshAnimation::copyKey(std::size_t key) {
    const std::size_t v = static_cast<std::size_t>(vertexCount);
    const auto first = static_cast<std::ptrdiff_t>(v * key);  // the key's first vertex
    std::copy_n(keyVertices.begin() + 3 * first, 3 * v, currentVertices.begin());
    std::copy_n(keyColors.begin() + 3 * first, 3 * v, currentColors.begin());
    std::copy_n(keyUvs.begin() + 2 * first, 2 * v, currentUvs.begin());
}

void MeshAnimation::update(unsigned animationIndex, float time) {
    if (animationIndex >= animationCount) {
        return;
    }
    // load guarantees at least one keyframe per animation, ascending times and a first time
    // of 0, so the scan below stops inside the animation.
    const std::size_t first = static_cast<std::size_t>(firstKey[animationIndex]);
    const std::size_t last = animationIndex + 1u < animationCount
                                 ? static_cast<std::size_t>(firstKey[animationIndex + 1]) - 1
                                 : static_cast<std::size_t>(keyCount) - 1;
    // NOTE: written as !(time > 0) so a NaN time takes the first keyframe instead of sending
    // the scan below the animation's first keyframe.
    if (!(time > 0.0f)) {
        copyKey(first);
        return;
    }
    if (time >= keyTimes[last]) {
        copyKey(last);
        return;
    }
    std::size_t i = first;
    while (i < last && time > keyTimes[i]) {
        ++i;
    }
    if (i == first) {
        copyKey(first);
        return;
    }
    --i;
    const float alpha = (time - keyTimes[i]) / (keyTimes[i + 1] - keyTimes[i]);
    const std::size_t v = static_cast<std::size_t>(vertexCount);
    const auto blend = [alpha](const std::vector<float>& keysOf, std::size_t from,
                               std::size_t count, std::vector<float>& out) {
        for (std::size_t n = 0; n < count; ++n) {
            const float a = keysOf[from + n];
            const float b = keysOf[from + count + n];
            out[n] = a + alpha * (b - a);
        }
    };
    blend(keyVertices, 3 * v * i, 3 * v, currentVertices);
    blend(keyColors, 3 * v * i, 3 * v, currentColors);
    blend(keyUvs, 2 * v * i, 2 * v, currentUvs);
}
