#include "settings/KeyTypes.h"

#include <algorithm>

const KeyType* keyTypeNamed(std::string_view name) {
    auto it = std::find_if(kKeyTypes.begin(), kKeyTypes.end(),
                           [&](const KeyType& type) { return type.name == name; });
    return it == kKeyTypes.end() ? nullptr : &*it;
}

const KeyType* keyTypeAtPosition(int popupPosition) {
    auto it = std::find_if(kKeyTypes.begin(), kKeyTypes.end(),
                           [&](const KeyType& type) { return type.popupPosition == popupPosition; });
    return it == kKeyTypes.end() ? nullptr : &*it;
}
